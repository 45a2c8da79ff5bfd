#pragma once

// The exact answer: every deal that satisfies a prepared request, each counted once with weight
// 1. A seat's alternatives therefore weigh in proportion to the card sets they allow (a set two
// alternatives both allow counts twice). The walk is bounded: when listing a seat's hands, the
// product of the seats' hand counts, or the deals themselves would pass kDealLimit, it declines
// instead of running for minutes.

#include <cstdint>
#include <optional>

#include "engine_error.hpp"
#include "expected.hpp"
#include "odds/chunk.hpp"
#include "odds/prepared_request.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {

inline constexpr std::uint64_t kDealLimit = 50'000'000;

// The tally of every deal (marked exact), nothing when the walk declines, or the showdown's
// error. Runs on the calling thread and touches no Python object, so the caller can release the
// interpreter lock around it.
Expected<std::optional<ChunkTally>, EngineError> walk_exactly(const variants::Variant& game,
                                                              const PreparedRequest& request);

}  // namespace vantor::odds
