#pragma once

// The exact answer: every deal that satisfies a prepared request, each counted once with weight
// 1. A seat's alternatives therefore weigh in proportion to the card sets they allow (a set two
// alternatives both allow counts twice). Deals alike in their pot shares are scored once and
// counted as often as they occur: those a renaming of suits that keeps the request maps onto
// one another (suit_symmetry.hpp), boards alike in their ranks where no seat can make a flush
// (boards_by_ranks.hpp), and without a board the last seat's hands alike in how they fare
// (last_seat_ways.hpp). The walk is bounded by the deals the request allows, scored or not
// (walk_budget.hpp): when listing a seat's hands (seat_candidates.hpp), the product of the seats'
// hand counts, or the deals themselves would pass kDealLimit, it declines instead of running for
// minutes; and when the hands it would keep to walk pass kCandidateLimit, it declines instead of
// filling the memory.

#include <cstdint>
#include <optional>

#include "errors/engine_error.hpp"
#include "exact/walk_budget.hpp"
#include "expected.hpp"
#include "interruption/interruption.hpp"
#include "request/prepared_request.hpp"
#include "tally/chunk_tally.hpp"

namespace vantor::odds {

// How the walk goes through the deals. Both give the same tally, field for field: the classes
// of alike deals (suit_symmetry.hpp) are counted in whole numbers, so every count the tally is
// folded from is the same.
enum class WalkMode {
  ByClasses,  // one deal of each class of alike deals, counted as often as the class occurs
  EveryDeal,  // every deal scored; the reference the classes are tested against
};

// The tally of every deal of the request's game (marked exact), nothing when the walk declines,
// or the showdown's error. Runs on the calling thread and touches no Python object, so the caller
// can release the interpreter lock around it. `caller`, when given, is asked every kCallerPeriod
// whether to stop; the walk then ends with Stopped within a check interval, listing included.
Expected<std::optional<ChunkTally>, EngineError> walk_exactly(const PreparedRequest& request,
                                                              Caller* caller = nullptr,
                                                              WalkMode mode = WalkMode::ByClasses);

}  // namespace vantor::odds
