#pragma once

// The sampling loop of one piece of a batch: draw deals with the sampler the request's pilot
// chose, score them with the game's showdown and add them to a tally, until the piece holds its
// target of deals. The attempt limit keeps a request whose seats nearly always collide from
// running forever: it fails with the "gave up" error instead.

#include <cstdint>

#include "errors/engine_error.hpp"
#include "expected.hpp"
#include "interruption/interruption.hpp"
#include "request/prepared_request.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/read_ahead.hpp"
#include "tally/chunk_tally.hpp"

namespace vantor::odds {

// A piece may try max(kAttemptFloor, kAttemptsPerSample * target) deals (saturating).
inline constexpr std::uint64_t kAttemptFloor = 10'000;
inline constexpr std::uint64_t kAttemptsPerSample = 1'000;

std::uint64_t attempt_limit(std::uint64_t target);

// A piece of at least this many deals whose Omaha seats are all named hands tabulates their
// values by board class first (some 6,000 entries a seat), which a shorter piece would not repay.
inline constexpr std::uint64_t kTabulateSeatsFrom = 4'096;

// Pieces of fewer deals take the stream output by output: read ahead, they would first pay for a
// block of outputs they mostly leave unread.
inline constexpr std::uint64_t kReadAheadFrom = 512;

// How a piece consumes the seeded stream. The defaults are the process's (processor_paths.hpp);
// the tests take each path in turn, and narrow the windows so that deals fall back to reading the
// buffer output by output. Whatever the options, a piece draws the same deals.
struct StreamOptions {
  sampler::StreamPath path = sampler::stream_path();
  // How many outputs of a 64-output window a deal may use (ReadAhead::kWindowUse at most).
  std::size_t window_use = sampler::ReadAhead::kWindowUse;
};

// The tally of `target` deals drawn with a generator seeded by `seed`, its `attempts` counting
// every draw, or the error that stopped the piece. Touches no Python object and nothing shared
// but the read-only request, so pieces run on any threads at once. `stop`, when given, is asked
// every kStopCheckInterval attempts and ends the piece with Stopped when it says so; the deals
// drawn never depend on it.
Expected<ChunkTally, EngineError> sample_piece(const PreparedRequest& request, std::uint64_t target,
                                               std::uint64_t seed, StopCheck* stop = nullptr,
                                               const StreamOptions& options = {});

}  // namespace vantor::odds
