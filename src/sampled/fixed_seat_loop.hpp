#pragma once

// The sampling loop of a request the direct draw takes whose seats hold the same named cards in
// every deal (DirectDraw::fixed_seats()): only the board's wildcards differ between deals. Every
// attempt succeeds, so the attempt limit (never below the target) cannot be reached, and the
// deals between two stop checks run without one. The boards are drawn output by output, or from
// the stream read ahead (read_ahead_board.hpp), which draws the same boards. Omaha seats are
// tabulated by board class (DealScorer::tabulate()) when the piece has deals enough to repay it,
// and rules scored from summaries score their deals a batch at a time (kScoreBatch).

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sampled/direct_draw.hpp"
#include "sampled/piece.hpp"
#include "sampled/read_ahead_board.hpp"
#include "sampler/random.hpp"
#include "sampler/read_ahead.hpp"
#include "tally/chunk_tally.hpp"
#include "tally/outcome_counts.hpp"

namespace vantor::odds {

namespace fixed_seat_detail {

// The boards drawn one output at a time.
template <sampler::CardPicking kPicking>
struct PlainBoards {
  const DirectDraw& direct;
  sampler::Generator generator;

  template <bool kLists>
  [[gnu::always_inline]] void draw(variants::CardSummary& board, HandList* list) {
    direct.draw_board<kPicking, kLists>(generator, board, list);
  }
};

// The same boards from the stream read ahead; kFree as ReadAheadBoard::draw() takes it.
template <std::uint32_t kFree>
struct AheadBoards {
  ReadAheadBoard boards;
  sampler::StreamPlace place;

  template <bool kLists>
  [[gnu::always_inline]] void draw(variants::CardSummary& board, HandList* list) {
    boards.draw<sampler::CardPicking::Deposit, kLists, kFree>(place, board, list);
  }
};

// `target` deals of the piece with boards from `boards`. kTabulated: the Omaha seats are read
// from tables of their values by board class; kSeats: the seat count when known at compile time,
// or 0.
template <bool kTabulated, std::size_t kSeats, class Showdown, class Boards>
[[gnu::always_inline]] inline Expected<ChunkTally, EngineError> deals(Piece<Showdown>& piece,
                                                                      Boards& boards,
                                                                      const DirectDraw& direct,
                                                                      std::uint64_t target,
                                                                      StopCheck* stop) {
  using Scorer = typename Piece<Showdown>::Scorer;
  const std::size_t seat_count = piece.seat_count;
  std::vector<std::uint16_t> values;
  std::array<const std::uint16_t*, variants::kMostSeats> tabulated{};
  if constexpr (kTabulated) {
    constexpr std::size_t kValues = Scorer::kTabulatedValues;
    values.resize(seat_count * kValues);
    for (std::size_t seat = 0; seat < seat_count; ++seat) {
      const std::span<std::uint16_t> own(values.data() + seat * kValues, kValues);
      piece.scorer.tabulate(piece.pairs[seat], own);
      tabulated[seat] = own.data();
    }
  }
  OutcomeCounts counts(seat_count);
  std::array<variants::CardSummary, variants::kMostSeats> seats{};
  for (std::size_t seat = 0; seat < seat_count; ++seat) seats[seat] = direct.fixed_seat(seat);
  std::array<variants::CardSummary, kScoreBatch> batch;
  HandList board_list{};
  std::uint64_t used = 0;
  while (used < target) {
    // As next_attempt() asks: before each attempt whose number is a multiple of the interval.
    const std::uint64_t attempt = used + 1;
    if (stop != nullptr && attempt % kStopCheckInterval == 0 && stop->should_stop()) {
      return fail(EngineError{Stopped{}});
    }
    const std::uint64_t end =
        std::min(target, (attempt / kStopCheckInterval + 1) * kStopCheckInterval - 1);
    while (used < end) {
      if constexpr (Scorer::kSummaries) {
        const auto size =
            static_cast<std::size_t>(std::min<std::uint64_t>(kScoreBatch, end - used));
        for (std::size_t k = 0; k < size; ++k) boards.template draw<false>(batch[k], nullptr);
        for (std::size_t k = 0; k < size; ++k) {
          counts.add(
              piece.scorer.template score_summaries<kSeats>(seats.data(), seat_count, batch[k]));
        }
        used += size;
      } else {
        variants::CardSummary& board = batch[0];
        boards.template draw<true>(board, &board_list);
        const std::span<const cards::Card> board_cards(board_list.data(), piece.board_size);
        if constexpr (kTabulated) {
          omaha::BoardTriples triples;
          piece.scorer.prepare_board(board_cards, triples);
          counts.add(piece.scorer.score_tabulated(seat_count, piece.pairs.data(), tabulated.data(),
                                                  triples));
        } else {
          counts.add(piece.scorer.score(std::span(piece.chosen.data(), seat_count),
                                        piece.pairs.data(), board, board_cards));
        }
        ++used;
      }
    }
  }
  ChunkTally tally(seat_count);
  counts.add_to(tally);
  tally.attempts = used;
  return tally;
}

// deals() from the stream read ahead, built for the read-ahead paths' processors; two and three
// seats scored from summaries get loops of known length.
template <bool kTabulated, class Showdown, class Boards>
VANTOR_READ_AHEAD_LOOP Expected<ChunkTally, EngineError> ahead_deals(Piece<Showdown>& piece,
                                                                     Boards boards,
                                                                     const DirectDraw& direct,
                                                                     std::uint64_t target,
                                                                     StopCheck* stop) {
  if constexpr (Piece<Showdown>::Scorer::kSummaries) {
    if (piece.seat_count == 2) return deals<kTabulated, 2>(piece, boards, direct, target, stop);
    if (piece.seat_count == 3) return deals<kTabulated, 3>(piece, boards, direct, target, stop);
  }
  return deals<kTabulated, 0>(piece, boards, direct, target, stop);
}

template <sampler::CardPicking kPicking, bool kTabulated, class Showdown>
Expected<ChunkTally, EngineError> loop(Piece<Showdown>& piece, const DirectDraw& direct,
                                       std::uint64_t target, const sampler::Generator& generator,
                                       StopCheck* stop) {
  if constexpr (kPicking == sampler::CardPicking::Deposit) {
    if (piece.reads_ahead(kPicking, target)) {
      sampler::ReadAhead ahead(generator, ReadAheadBoard::ranges(direct),
                               sampler::kernels_for(piece.options.path));
      const ReadAheadBoard boards(direct, ahead, piece.options.window_use);
      const sampler::StreamPlace start = sampler::StreamPlace::at(ahead.start());
      // A board of five wildcards (the deals before the flop) gets a loop of known length.
      if (boards.free_cards() == 5) {
        return ahead_deals<kTabulated>(piece, AheadBoards<5>{boards, start}, direct, target, stop);
      }
      return ahead_deals<kTabulated>(piece, AheadBoards<0>{boards, start}, direct, target, stop);
    }
  }
  PlainBoards<kPicking> boards{direct, generator};
  return deals<kTabulated, 0>(piece, boards, direct, target, stop);
}

}  // namespace fixed_seat_detail

// The piece's deals, for a direct draw with fixed_seats().
template <sampler::CardPicking kPicking, class Showdown>
Expected<ChunkTally, EngineError> fixed_seat_loop(Piece<Showdown>& piece, const DirectDraw& direct,
                                                  std::uint64_t target,
                                                  const sampler::Generator& generator,
                                                  StopCheck* stop) {
  if constexpr (Piece<Showdown>::Scorer::kOmaha) {
    if (piece.scorer.whole_hands() && piece.varying_count == 0 && target >= kTabulateSeatsFrom) {
      return fixed_seat_detail::loop<kPicking, true>(piece, direct, target, generator, stop);
    }
  }
  return fixed_seat_detail::loop<kPicking, false>(piece, direct, target, generator, stop);
}

}  // namespace vantor::odds
