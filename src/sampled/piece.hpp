#pragma once

// One piece of a batch as its loops share it: the request, the showdown's scorer, the seats that
// hold one named hand prepared once, the stream options, and the accounting of attempts. The
// loops themselves are general_loop.hpp (any request), direct_loop.hpp (the requests DirectDraw
// draws) and fixed_seat_loop.hpp (those whose seats never change). Nothing here allocates per
// deal.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "cards/card.hpp"
#include "errors/engine_error.hpp"
#include "errors/request_error.hpp"
#include "interruption/interruption.hpp"
#include "request/prepared_request.hpp"
#include "sampled/direct_draw.hpp"
#include "sampled/sampling_loop.hpp"
#include "tally/chunk_tally.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/omaha.hpp"

namespace vantor::odds {

// Deals drawn before any is scored, in the loops of rules scored from summaries: each deal's
// table reads wait on nothing of the deal before, so a batch's reads overlap where one deal's
// would wait in turn.
inline constexpr std::size_t kScoreBatch = 32;

template <class Showdown>
struct Piece {
  using Scorer = variants::DealScorer<Showdown>;

  Piece(const PreparedRequest& request, std::size_t hand_size, const StreamOptions& options)
      : request(request),
        options(options),
        scorer(hand_size, request.deal.board_size),
        hand_size(hand_size),
        board_size(request.deal.board_size),
        seat_count(request.deal.seat_count) {
    for (std::size_t seat = 0; seat < seat_count; ++seat) {
      chosen[seat] = &hands[seat];
      // A seat holding one named hand holds the same cards in every deal drawn: it is prepared
      // here once, and only the other seats per deal.
      const auto& plans = request.deal.seat_plans[seat];
      if (plans.size() == 1 && plans.front().remaining_count() == 0) {
        hands[seat] = scorer.prepare(plans.front().fixed_cards);
        if constexpr (Scorer::kOmaha) scorer.prepare_pairs(plans.front().fixed_cards, pairs[seat]);
      } else {
        varying_seats[varying_count++] = seat;
      }
    }
  }

  // Whether a piece of `target` deals of the direct draw reads the stream ahead. The read-ahead
  // loops pick cards with pdep alone: every processor that takes a read-ahead path has it, and
  // where it is slow (AMD before Zen 3) the piece takes the stream output by output instead.
  bool reads_ahead(sampler::CardPicking picking, std::uint64_t target) const {
    return picking == sampler::CardPicking::Deposit &&
           options.path != sampler::StreamPath::Portable && target >= kReadAheadFrom;
  }

  // A varying seat's hand as the scorer reads it: Omaha seats by their pairs alone.
  [[gnu::always_inline]] void prepare_seat(std::size_t seat, std::span<const cards::Card> hand) {
    if constexpr (Scorer::kOmaha) {
      scorer.prepare_pairs(hand, pairs[seat]);
    } else {
      hands[seat] = scorer.prepare(hand);
    }
  }

  // The winners of a deal whose varying seats hold `hand(seat)` and whose board is
  // `board_cards` (summarised as `board`).
  template <class HandOf>
  [[gnu::always_inline]] variants::Outcome score(HandOf&& hand, const variants::CardSummary& board,
                                                 std::span<const cards::Card> board_cards) {
    for (std::size_t i = 0; i < varying_count; ++i) {
      const std::size_t seat = varying_seats[i];
      prepare_seat(seat, hand(seat));
    }
    return scorer.score(std::span(chosen.data(), seat_count), pairs.data(), board, board_cards);
  }

  // Counts one more attempt, or says why the piece ends first: the attempt limit is reached, or
  // (asked every kStopCheckInterval attempts) the stop check says so.
  [[gnu::always_inline]] std::optional<EngineError> next_attempt(std::uint64_t& attempts,
                                                                 std::uint64_t limit,
                                                                 std::uint64_t used,
                                                                 StopCheck* stop) const {
    if (attempts == limit) [[unlikely]] {
      return EngineError{RequestError::sampler_gave_up(attempts + 1, used, request.known_dealable)};
    }
    ++attempts;
    if (stop != nullptr && attempts % kStopCheckInterval == 0 && stop->should_stop()) {
      return EngineError{Stopped{}};
    }
    return std::nullopt;
  }

  const PreparedRequest& request;
  StreamOptions options;
  Scorer scorer;
  std::size_t hand_size;
  std::size_t board_size;
  std::size_t seat_count;
  std::array<variants::SeatHand, variants::kMostSeats> hands{};
  std::array<const variants::SeatHand*, variants::kMostSeats> chosen{};
  std::array<omaha::HolePairs, variants::kMostSeats> pairs{};
  std::array<std::size_t, variants::kMostSeats> varying_seats{};  // the seats prepared per deal
  std::size_t varying_count = 0;
};

}  // namespace vantor::odds
