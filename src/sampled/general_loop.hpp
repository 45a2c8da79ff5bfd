#pragma once

// The sampling loop of a request the direct draw does not take: deals drawn by the pilot's
// sampler (the rejection sampler, with or without weights, or the weighted sampler), one output
// at a time, into card lists, and scored from those.

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "sampled/piece.hpp"
#include "sampler/deal.hpp"
#include "sampler/random.hpp"
#include "tally/chunk_tally.hpp"
#include "tally/outcome_counts.hpp"
#include "variants/pot.hpp"

namespace vantor::odds {

template <class Showdown>
Expected<ChunkTally, EngineError> general_loop(Piece<Showdown>& piece, std::uint64_t target,
                                               sampler::Generator generator, StopCheck* stop) {
  const PreparedRequest& request = piece.request;
  const std::size_t seat_count = piece.seat_count;
  ChunkTally tally(seat_count);
  std::vector<std::vector<cards::Card>> seat_cards(seat_count);
  for (auto& hand : seat_cards) hand.reserve(piece.hand_size);
  std::vector<cards::Card> board_cards;
  board_cards.reserve(piece.board_size);
  sampler::WeightedScratch scratch;
  const auto score = [&] {
    return piece.score(
        [&](std::size_t seat) { return std::span<const cards::Card>(seat_cards[seat]); },
        variants::summarize(board_cards), board_cards);
  };
  const auto add_weighted = [&](const variants::Outcome& outcome, double weight) {
    std::array<double, variants::kMostSeats> share{};
    std::array<double, variants::kMostSeats> low_share{};
    variants::PotShares shares{std::span(share.data(), seat_count),
                               std::span(low_share.data(), seat_count)};
    variants::split_pot(outcome, shares);
    tally.add(shares.share, shares.low_share, weight);
  };

  const std::uint64_t limit = attempt_limit(target);
  // Rejection-sampled deals are counted by outcome (per weight, where they carry weights) and
  // added once at the end; the weighted sampler's deals go into the tally one by one.
  const bool unit_weights = !request.deal.deals_carry_weights();
  OutcomeCounts counts(seat_count);
  OutcomeCountsByWeight counts_by_weight(seat_count);
  std::uint64_t attempts = 0;
  std::uint64_t used = 0;
  while (used < target) {
    if (auto ended = piece.next_attempt(attempts, limit, used, stop)) {
      return fail(std::move(*ended));
    }
    if (request.deal.weighted) {
      const auto weight =
          sampler::weighted_draw(request.deal, generator, seat_cards, board_cards, scratch);
      if (!weight) continue;
      add_weighted(score(), *weight);
    } else if (unit_weights) {
      if (!sampler::rejection_draw(request.deal, generator, seat_cards, board_cards)) continue;
      counts.add(score());
    } else {
      const auto weight =
          sampler::weighed_rejection_draw(request.deal, generator, seat_cards, board_cards);
      if (!weight) continue;
      const variants::Outcome outcome = score();
      if (!counts_by_weight.add(outcome, *weight)) add_weighted(outcome, *weight);
    }
    ++used;
  }
  if (unit_weights) counts.add_to(tally);
  counts_by_weight.add_to(tally);
  tally.attempts = attempts;
  return tally;
}

}  // namespace vantor::odds
