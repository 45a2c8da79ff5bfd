#pragma once

// The batch runner behind chunk(): a batch of samples is cut into pieces, each with its own
// generator seeded from the batch seed and its piece number, the pieces run on the process-wide
// worker pool (with the calling thread taking its share rather than idling), and their tallies
// are merged in piece order. The pieces and their
// order depend only on (samples, seed, threads), so a batch is reproducible to the bit for a
// given request whatever the machine's load; a different thread count cuts different pieces
// and so draws different deals.

#include <cstddef>
#include <cstdint>

#include "errors/engine_error.hpp"
#include "expected.hpp"
#include "interruption/interruption.hpp"
#include "request/prepared_request.hpp"
#include "tally/chunk_tally.hpp"

namespace vantor::odds {

// Piece seeds are seed * kSeedMultiplier + piece number, wrapping.
inline constexpr std::uint64_t kSeedMultiplier = 0x9e3779b97f4a7c15;

// Batches of at most this many deals are run by the calling thread alone (see run_batch()).
inline constexpr std::uint64_t kSmallBatch = 2048;

struct Piece {
  std::uint64_t target = 0;  // deals this piece adds
  std::uint64_t seed = 0;    // its generator's seed
};

// How many pieces a batch of `samples` is cut into for `threads`: one per thread, but never
// more pieces than samples and never none.
std::uint64_t piece_count(std::uint64_t samples, std::uint64_t threads);

// Piece `index` of `pieces`: the first samples % pieces pieces take one sample more.
Piece piece_of(std::uint64_t samples, std::uint64_t seed, std::uint64_t pieces,
               std::uint64_t index);

// The merged tally of the batch, or the error recorded first by a failing piece (the pieces not
// yet started are then skipped, and running ones stop). The calling thread runs pieces itself,
// and then waits only for pieces a worker is running, looking at `caller` (when given) every
// kCallerPeriod; when it says stop, the batch stops within a check interval and the result is
// Stopped. Nothing of the batch is left running when this returns, or when the calling thread
// is unwound out of it. Touches no Python object, so the caller releases the interpreter lock
// around it. `threads` must already have its default applied.
Expected<ChunkTally, EngineError> run_batch(const PreparedRequest& request, std::uint64_t samples,
                                            std::uint64_t seed, std::uint64_t threads,
                                            Caller* caller = nullptr);

}  // namespace vantor::odds
