#include "sampled/sampling_loop.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "errors/request_error.hpp"
#include "sampled/direct_draw.hpp"
#include "sampler/deal.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"
#include "tally/outcome_counts.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/omaha.hpp"
#include "variants/pot.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

using cards::Card;
using variants::kMostSeats;
using variants::Outcome;
using variants::SeatHand;

namespace {

// One piece's working state, created once and reused for every attempt: nothing below
// allocates per deal once the card lists have grown to their hands' sizes.
template <class Showdown>
class PieceSampler {
 public:
  PieceSampler(const PreparedRequest& request, std::size_t hand_size)
      : request_(request),
        scorer_(hand_size, request.deal.board_size),
        hand_size_(hand_size),
        board_size_(request.deal.board_size),
        seat_count_(request.deal.seat_count),
        seat_cards_(request.deal.seat_count) {
    for (auto& hand : seat_cards_) hand.reserve(hand_size);
    board_cards_.reserve(request.deal.board_size);
    for (std::size_t seat = 0; seat < seat_count_; ++seat) {
      chosen_[seat] = &hands_[seat];
      // A seat holding one named hand holds the same cards in every deal drawn: it is prepared
      // here once, and only the other seats per deal.
      const auto& plans = request.deal.seat_plans[seat];
      if (plans.size() == 1 && plans.front().remaining_count() == 0) {
        hands_[seat] = scorer_.prepare(plans.front().fixed_cards);
        if constexpr (Scorer::kOmaha)
          scorer_.prepare_pairs(plans.front().fixed_cards, pairs_[seat]);
      } else {
        varying_seats_[varying_count_++] = seat;
      }
    }
  }

  Expected<ChunkTally, EngineError> run(std::uint64_t target, std::uint64_t seed, StopCheck* stop) {
    generator_ = sampler::Generator::seeded(seed);
    ChunkTally tally(seat_count_);
    if (target == 0) return tally;
    if (const auto direct = DirectDraw::of(request_.deal)) {
      if (sampler::card_picking() == sampler::CardPicking::Deposit) {
        return run_direct<sampler::CardPicking::Deposit>(*direct, target, stop, tally);
      }
      return run_direct<sampler::CardPicking::Broadword>(*direct, target, stop, tally);
    }
    const std::uint64_t limit = attempt_limit(target);
    // Rejection-sampled deals are counted by outcome (per weight, where they carry weights) and
    // added once at the end; the weighted sampler's deals go into the tally one by one.
    const bool unit_weights = !request_.deal.deals_carry_weights();
    OutcomeCounts counts(seat_count_);
    OutcomeCountsByWeight counts_by_weight(seat_count_);
    std::uint64_t attempts = 0;
    std::uint64_t used = 0;
    while (used < target) {
      if (auto ended = next_attempt(attempts, limit, used, stop)) return fail(std::move(*ended));
      if (request_.deal.weighted) {
        const auto weight =
            sampler::weighted_draw(request_.deal, generator_, seat_cards_, board_cards_, scratch_);
        if (!weight) continue;
        add_weighted(tally, score(), *weight);
      } else if (unit_weights) {
        if (!sampler::rejection_draw(request_.deal, generator_, seat_cards_, board_cards_))
          continue;
        counts.add(score());
      } else {
        const auto weight =
            sampler::weighed_rejection_draw(request_.deal, generator_, seat_cards_, board_cards_);
        if (!weight) continue;
        const Outcome outcome = score();
        if (!counts_by_weight.add(outcome, *weight)) add_weighted(tally, outcome, *weight);
      }
      ++used;
    }
    if (unit_weights) counts.add_to(tally);
    counts_by_weight.add_to(tally);
    tally.attempts = attempts;
    return tally;
  }

 private:
  using Scorer = variants::DealScorer<Showdown>;

  // Counts one more attempt, or says why the piece ends first: the attempt limit is reached, or
  // (asked every kStopCheckInterval attempts) the stop check says so.
  [[gnu::always_inline]] std::optional<EngineError> next_attempt(std::uint64_t& attempts,
                                                                 std::uint64_t limit,
                                                                 std::uint64_t used,
                                                                 StopCheck* stop) const {
    if (attempts == limit) [[unlikely]] {
      return EngineError{
          RequestError::sampler_gave_up(attempts + 1, used, request_.known_dealable)};
    }
    ++attempts;
    if (stop != nullptr && attempts % kStopCheckInterval == 0 && stop->should_stop()) {
      return EngineError{Stopped{}};
    }
    return std::nullopt;
  }

  // The loop below for the requests direct_draw.hpp draws: the same deals, drawn into
  // summaries and scored from them.
  template <sampler::CardPicking kPicking>
  Expected<ChunkTally, EngineError> run_direct(const DirectDraw& direct, std::uint64_t target,
                                               StopCheck* stop, ChunkTally& tally) {
    switch (direct.plans()) {
      case PlanLevel::NamedAndWild:
        if constexpr (Scorer::kSummaries) {
          if (direct.ranges())
            return run_direct<kPicking, PlanLevel::NamedAndWild, true>(direct, target, stop, tally);
        }
        return run_direct<kPicking, PlanLevel::NamedAndWild>(direct, target, stop, tally);
      case PlanLevel::Listed:
        return run_direct<kPicking, PlanLevel::Listed>(direct, target, stop, tally);
      case PlanLevel::Overlapping:
        break;
    }
    return run_direct<kPicking, PlanLevel::Overlapping>(direct, target, stop, tally);
  }

  // kRanges: drawn by draw() with kRanges, for the requests with ranges() scored from summaries.
  template <sampler::CardPicking kPicking, PlanLevel kPlans, bool kRanges = false>
  Expected<ChunkTally, EngineError> run_direct(const DirectDraw& direct, std::uint64_t target,
                                               StopCheck* stop, ChunkTally& tally) {
    if (direct.fixed_seats()) return run_fixed_seats<kPicking>(direct, target, stop, tally);
    const std::uint64_t limit = attempt_limit(target);
    OutcomeCounts counts(seat_count_);
    std::array<variants::CardSummary, kMostSeats> seats{};
    variants::CardSummary board;
    std::array<HandList, kMostSeats + 1> lists{};
    // A local generator, as in run_fixed_seats(): the member's state would be stored after every
    // attempt and loaded before the next.
    sampler::Generator generator = generator_;
    std::uint64_t attempts = 0;
    std::uint64_t used = 0;
    while (used < target) {
      if (auto ended = next_attempt(attempts, limit, used, stop)) return fail(std::move(*ended));
      if constexpr (Scorer::kSummaries) {
        if (!direct.draw<kPicking, kPlans, false, kRanges>(generator, seats.data(), board)) {
          continue;
        }
        counts.add(scorer_.score_summaries(seats.data(), seat_count_, board));
      } else {
        // Omaha and badugi read the cards themselves: the seats that vary are prepared from
        // their lists, the others were prepared once.
        if (!direct.draw<kPicking, kPlans, true>(generator, seats.data(), board, lists.data()))
          continue;
        for (std::size_t i = 0; i < varying_count_; ++i) {
          const std::size_t seat = varying_seats_[i];
          const std::span<const Card> hand(lists[seat].data(), hand_size_);
          prepare_seat(seat, hand);
        }
        counts.add(scorer_.score(std::span(chosen_.data(), seat_count_), pairs_.data(), board,
                                 std::span<const Card>(lists[seat_count_].data(), board_size_)));
      }
      ++used;
    }
    generator_ = generator;
    counts.add_to(tally);
    tally.attempts = attempts;
    return std::move(tally);
  }

  // run_direct() for a request where only the board's wildcards differ between deals. Every
  // attempt succeeds, so the attempt limit (never below the target) cannot be reached, and the
  // deals between two stop checks run without one. Omaha seats are tabulated by board class
  // (DealScorer::tabulate()) when the piece has deals enough to repay it.
  template <sampler::CardPicking kPicking>
  Expected<ChunkTally, EngineError> run_fixed_seats(const DirectDraw& direct, std::uint64_t target,
                                                    StopCheck* stop, ChunkTally& tally) {
    if constexpr (Scorer::kOmaha) {
      if (scorer_.whole_hands() && varying_count_ == 0 && target >= kTabulateSeatsFrom)
        return run_fixed_seats<kPicking, true>(direct, target, stop, tally);
    }
    return run_fixed_seats<kPicking, false>(direct, target, stop, tally);
  }

  template <sampler::CardPicking kPicking, bool kTabulated>
  Expected<ChunkTally, EngineError> run_fixed_seats(const DirectDraw& direct, std::uint64_t target,
                                                    StopCheck* stop, ChunkTally& tally) {
    std::vector<std::uint16_t> values;
    std::array<const std::uint16_t*, kMostSeats> tabulated{};
    if constexpr (kTabulated) {
      constexpr std::size_t kValues = Scorer::kTabulatedValues;
      values.resize(seat_count_ * kValues);
      for (std::size_t seat = 0; seat < seat_count_; ++seat) {
        const std::span<std::uint16_t> own(values.data() + seat * kValues, kValues);
        scorer_.tabulate(pairs_[seat], own);
        tabulated[seat] = own.data();
      }
    }
    OutcomeCounts counts(seat_count_);
    std::array<variants::CardSummary, kMostSeats> seats{};
    for (std::size_t seat = 0; seat < seat_count_; ++seat) seats[seat] = direct.fixed_seat(seat);
    variants::CardSummary board;
    HandList board_list{};
    // A local generator: the counters' stores could alias the member's state, whose words would
    // then be reloaded and stored around every deal.
    sampler::Generator generator = generator_;
    std::uint64_t used = 0;
    while (used < target) {
      // As next_attempt() asks: before each attempt whose number is a multiple of the interval.
      const std::uint64_t attempt = used + 1;
      if (stop != nullptr && attempt % kStopCheckInterval == 0 && stop->should_stop()) {
        return fail(EngineError{Stopped{}});
      }
      const std::uint64_t end =
          std::min(target, (attempt / kStopCheckInterval + 1) * kStopCheckInterval - 1);
      for (; used < end; ++used) {
        if constexpr (Scorer::kSummaries) {
          direct.draw_board<kPicking>(generator, board);
          counts.add(scorer_.score_summaries(seats.data(), seat_count_, board));
        } else if constexpr (kTabulated) {
          direct.draw_board<kPicking, true>(generator, board, &board_list);
          omaha::BoardTriples triples;
          scorer_.prepare_board(std::span<const Card>(board_list.data(), board_size_), triples);
          counts.add(
              scorer_.score_tabulated(seat_count_, pairs_.data(), tabulated.data(), triples));
        } else {
          direct.draw_board<kPicking, true>(generator, board, &board_list);
          counts.add(scorer_.score(std::span(chosen_.data(), seat_count_), pairs_.data(), board,
                                   std::span<const Card>(board_list.data(), board_size_)));
        }
      }
    }
    generator_ = generator;
    counts.add_to(tally);
    tally.attempts = used;
    return std::move(tally);
  }

  // A varying seat's hand as the scorer reads it: Omaha seats by their pairs alone.
  [[gnu::always_inline]] void prepare_seat(std::size_t seat, std::span<const Card> hand) {
    if constexpr (Scorer::kOmaha) {
      scorer_.prepare_pairs(hand, pairs_[seat]);
    } else {
      hands_[seat] = scorer_.prepare(hand);
    }
  }

  [[gnu::always_inline]] Outcome score() {
    for (std::size_t i = 0; i < varying_count_; ++i) {
      const std::size_t seat = varying_seats_[i];
      prepare_seat(seat, seat_cards_[seat]);
    }
    return scorer_.score(std::span(chosen_.data(), seat_count_), pairs_.data(),
                         variants::summarize(board_cards_), board_cards_);
  }

  void add_weighted(ChunkTally& tally, const Outcome& outcome, double weight) {
    std::array<double, kMostSeats> share{};
    std::array<double, kMostSeats> low_share{};
    variants::PotShares shares{std::span(share.data(), seat_count_),
                               std::span(low_share.data(), seat_count_)};
    variants::split_pot(outcome, shares);
    tally.add(shares.share, shares.low_share, weight);
  }

  const PreparedRequest& request_;
  Scorer scorer_;
  std::size_t hand_size_;
  std::size_t board_size_;
  std::size_t seat_count_;
  sampler::Generator generator_;
  std::vector<std::vector<Card>> seat_cards_;
  std::vector<Card> board_cards_;
  sampler::WeightedScratch scratch_;
  std::array<SeatHand, kMostSeats> hands_{};
  std::array<const SeatHand*, kMostSeats> chosen_{};
  std::array<omaha::HolePairs, kMostSeats> pairs_{};
  std::array<std::size_t, kMostSeats> varying_seats_{};  // the seats prepared per deal
  std::size_t varying_count_ = 0;
};

}  // namespace

std::uint64_t attempt_limit(std::uint64_t target) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t scaled =
      target > kMost / kAttemptsPerSample ? kMost : target * kAttemptsPerSample;
  return std::max(kAttemptFloor, scaled);
}

Expected<ChunkTally, EngineError> sample_piece(const PreparedRequest& request, std::uint64_t target,
                                               std::uint64_t seed, StopCheck* stop) {
  using Sampled = Expected<ChunkTally, EngineError>;
  const std::size_t seat_count = request.deal.seat_count;
  const auto unprepared = [] {
    return Sampled{fail(EngineError{InternalFault{"a batch was given an unprepared request"}})};
  };
  if (seat_count == 0 || seat_count > kMostSeats || request.game == nullptr) return unprepared();
  const std::size_t hand_size = request.seats.front().front().size();
  return variants::with_showdown(
      *request.game,
      [&](auto showdown) -> Sampled {
        using Showdown = decltype(showdown);
        const std::size_t count = hand_size + request.deal.board_size;
        if (!Showdown::holds(count)) {
          return fail(EngineError{cards::CardError::too_many_cards(count)});
        }
        PieceSampler<Showdown> sampler(request, hand_size);
        return sampler.run(target, seed, stop);
      },
      unprepared);
}

}  // namespace vantor::odds
