#pragma once

// One piece of a batch for one showdown: the loop its request takes (the direct draw's, with
// seats that never change or not, or the general one), chosen once per piece. Declared here,
// defined in run_piece_loops.hpp, and instantiated in the run_piece_*.cpp files, a few showdowns
// each, so that the loops of every showdown are not all built by one compiler run.

#include <cstddef>
#include <cstdint>

#include "errors/engine_error.hpp"
#include "expected.hpp"
#include "interruption/interruption.hpp"
#include "request/prepared_request.hpp"
#include "sampled/sampling_loop.hpp"
#include "tally/chunk_tally.hpp"

namespace vantor::odds {

// sample_piece() for a request of Showdown's game whose hands (`hand_size` cards each) the
// showdown holds.
template <class Showdown>
Expected<ChunkTally, EngineError> run_piece(const PreparedRequest& request, std::size_t hand_size,
                                            std::uint64_t target, std::uint64_t seed,
                                            StopCheck* stop, const StreamOptions& options);

}  // namespace vantor::odds
