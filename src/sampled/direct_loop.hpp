#pragma once

// The sampling loop of a request the direct draw takes (direct_draw.hpp): its deals drawn
// straight into the scorer's summaries (and, for the rules scored from cards, into lists), output
// by output or from the stream read ahead (read_ahead_deals.hpp), which draws the same deals.
// Rules scored from summaries score their deals a batch at a time (kScoreBatch).

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "sampled/direct_draw.hpp"
#include "sampled/piece.hpp"
#include "sampled/read_ahead_deals.hpp"
#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"
#include "tally/chunk_tally.hpp"
#include "tally/outcome_counts.hpp"

namespace vantor::odds {

namespace direct_detail {

// Deals drawn one output at a time.
struct PlainDeals {
  sampler::Generator generator;

  template <class Draw>
  [[gnu::always_inline]] bool draw(Draw&& draw) {
    return draw(generator);
  }
};

// The same deals from the stream read ahead.
struct AheadDeals {
  const ReadAheadDeals& deals;
  sampler::StreamPlace place;

  template <class Draw>
  [[gnu::always_inline]] bool draw(Draw&& draw) {
    return deals.draw(place, draw);
  }
};

// The attempts of a piece, each deal drawn by draw(source, seats, board, lists) from `deals`,
// until `target` deals are kept. kSeats: the seat count when known at compile time, or 0;
// kBatched: deals scored from summaries are scored a batch at a time, which pays where drawing
// them mispredicts little (read ahead).
template <std::size_t kSeats, bool kBatched, class Showdown, class Deals, class Draw>
[[gnu::always_inline]] inline Expected<ChunkTally, EngineError> attempts(
    Piece<Showdown>& piece, Deals& deals, const Draw& draw, std::uint64_t target, StopCheck* stop) {
  using Scorer = typename Piece<Showdown>::Scorer;
  const std::size_t seat_count = piece.seat_count;
  const std::uint64_t limit = attempt_limit(target);
  OutcomeCounts counts(seat_count);
  std::array<std::array<variants::CardSummary, variants::kMostSeats>, kScoreBatch> seats{};
  std::array<variants::CardSummary, kScoreBatch> boards;
  std::array<HandList, variants::kMostSeats + 1> lists{};
  std::size_t batched = 0;
  const auto score_batch = [&] {
    if constexpr (Scorer::kSummaries) {
      for (std::size_t k = 0; k < batched; ++k) {
        counts.add(
            piece.scorer.template score_summaries<kSeats>(seats[k].data(), seat_count, boards[k]));
      }
    }
    batched = 0;
  };
  std::uint64_t attempts = 0;
  std::uint64_t used = 0;
  while (used < target) {
    if (auto ended = piece.next_attempt(attempts, limit, used, stop)) {
      return fail(std::move(*ended));
    }
    if constexpr (Scorer::kSummaries && kBatched) {
      const bool kept = deals.draw([&](auto& source) __attribute__((always_inline)) {
        return draw(source, seats[batched].data(), boards[batched], nullptr);
      });
      if (!kept) continue;
      if (++batched == kScoreBatch) score_batch();
    } else if constexpr (Scorer::kSummaries) {
      const bool kept = deals.draw([&](auto& source) __attribute__((always_inline)) {
        return draw(source, seats[0].data(), boards[0], nullptr);
      });
      if (!kept) continue;
      counts.add(
          piece.scorer.template score_summaries<kSeats>(seats[0].data(), seat_count, boards[0]));
    } else {
      // Omaha and badugi read the cards themselves: the seats that vary are prepared from their
      // lists, the others were prepared once.
      variants::CardSummary board;
      const bool kept = deals.draw([&](auto& source) __attribute__((always_inline)) {
        return draw(source, seats[0].data(), board, lists.data());
      });
      if (!kept) continue;
      counts.add(piece.score(
          [&](std::size_t seat) {
            return std::span<const cards::Card>(lists[seat].data(), piece.hand_size);
          },
          board, std::span<const cards::Card>(lists[seat_count].data(), piece.board_size)));
    }
    ++used;
  }
  score_batch();
  ChunkTally tally(seat_count);
  counts.add_to(tally);
  tally.attempts = attempts;
  return tally;
}

// attempts() from the stream read ahead, built for the read-ahead paths' processors; two and
// three seats scored from summaries get loops of known length.
template <class Showdown, class Draw>
VANTOR_READ_AHEAD_LOOP Expected<ChunkTally, EngineError> ahead_attempts(Piece<Showdown>& piece,
                                                                        AheadDeals deals,
                                                                        const Draw& draw,
                                                                        std::uint64_t target,
                                                                        StopCheck* stop) {
  if constexpr (Piece<Showdown>::Scorer::kSummaries) {
    if (piece.seat_count == 2) return attempts<2, true>(piece, deals, draw, target, stop);
    if (piece.seat_count == 3) return attempts<3, true>(piece, deals, draw, target, stop);
  }
  return attempts<0, true>(piece, deals, draw, target, stop);
}

}  // namespace direct_detail

// The piece's deals by the direct draw `direct`, compiled for the plans it holds (kPlans) and,
// with kRanges, for ranges of named hands scored from summaries (DirectDraw::draw()).
template <sampler::CardPicking kPicking, PlanLevel kPlans, bool kRanges, class Showdown>
Expected<ChunkTally, EngineError> direct_loop(Piece<Showdown>& piece, const DirectDraw& direct,
                                              std::uint64_t target,
                                              const sampler::Generator& generator,
                                              StopCheck* stop) {
  using Scorer = typename Piece<Showdown>::Scorer;
  // Inlined where it is called, so that a loop built for the read-ahead paths builds it too.
  const auto draw = [&direct](auto& source, variants::CardSummary* seats,
                              variants::CardSummary& board, HandList* lists)
      __attribute__((always_inline)) {
    if constexpr (Scorer::kSummaries) {
      return direct.draw<kPicking, kPlans, false, kRanges>(source, seats, board);
    } else {
      return direct.draw<kPicking, kPlans, true>(source, seats, board, lists);
    }
  };
  // Read ahead where it was measured to pay: named cards and wildcards. Where seats choose among
  // named hands (kRanges), or fill a rank or a suit from a listed plan, many attempts are refused
  // after a few outputs, and reading ahead measured no faster than the branches it saves (on the
  // hold'em and short deck three-way spots and the A2** and AA** Omaha spots of
  // bench/batch_bench.py).
  if constexpr (kPicking == sampler::CardPicking::Deposit && kPlans == PlanLevel::NamedAndWild &&
                !kRanges) {
    if (piece.reads_ahead(kPicking, target)) {
      std::array<variants::CardSummary, variants::kMostSeats> seats{};
      variants::CardSummary board;
      std::array<HandList, variants::kMostSeats + 1> lists{};
      const auto ranges = record_ranges(
          [&](auto& source) { return draw(source, seats.data(), board, lists.data()); });
      if (ranges) {
        sampler::ReadAhead ahead(generator, ranges->ranges,
                                 sampler::kernels_for(piece.options.path));
        const ReadAheadDeals deals(ahead, *ranges, piece.options.window_use);
        return direct_detail::ahead_attempts(
            piece, direct_detail::AheadDeals{deals, sampler::StreamPlace::at(ahead.start())}, draw,
            target, stop);
      }
    }
  }
  direct_detail::PlainDeals deals{generator};
  return direct_detail::attempts<0, false>(piece, deals, draw, target, stop);
}

}  // namespace vantor::odds
