#include "exact/exact_walk.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "cards/masks.hpp"
#include "exact/boards_by_ranks.hpp"
#include "exact/last_seat_ways.hpp"
#include "exact/seat_candidates.hpp"
#include "exact/suit_symmetry.hpp"
#include "exact/walk_budget.hpp"
#include "sampler/count.hpp"
#include "sampler/draw.hpp"
#include "tally/outcome_counts.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/omaha.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

using cards::Card;
using cards::CardMask;
using variants::CardSummary;
using variants::kMostBoardCards;
using variants::kMostSeats;
using variants::SeatHand;

namespace {

template <class Showdown>
class Walker {
 public:
  Walker(const PreparedRequest& request, std::size_t hand_size, StopCheck& stop, WalkMode mode)
      : mode_(mode),
        request_(request),
        scorer_(hand_size, request.deal.board_size),
        counts_(request.deal.seat_count),
        seat_count_(request.deal.seat_count),
        budget_(stop) {}

  // False when the walk declines, or was stopped (stopped() tells which).
  bool run() {
    if (!list_candidates(request_, scorer_, budget_, candidates_)) return false;
    // When every board is a plain combination the deals can be counted without scoring them,
    // so a walk that would run out of budget declines before doing the work. Counting is only
    // needed where the hands kept and the boards could multiply past the limit at all.
    if (free_board() && deals_may_pass_limit() &&
        count_deals(0, request_.deal.live, 0) > kDealLimit) {
      return false;
    }
    if (mode_ == WalkMode::ByClasses) ties_ = RenamingTies(request_symmetries(request_));
    return walk_seat(0, request_.deal.live, ties_.all());
  }

  bool stopped() const { return budget_.stopped(); }

  OutcomeCounts& counts() { return counts_; }

 private:
  using Scorer = variants::DealScorer<Showdown>;

  bool free_board() const {
    const sampler::DrawPlan& plan = request_.deal.board_plan;
    return request_.deal.board_size == 0 || plan.kind == sampler::PlanKind::AllFree ||
           plan.remaining_count() == 0;
  }

  // The deals below this seat added to `so_far`, stopping as soon as the limit is passed (or the
  // call is to stop, which passes it too).
  std::uint64_t count_deals(std::size_t seat, CardMask available, std::uint64_t so_far) {
    if (seat == seat_count_) return so_far + static_cast<std::uint64_t>(free_boards(available));
    const SeatCandidates& seat_candidates = candidates_[seat];
    if (seat + 1 == seat_count_ && request_.deal.board_size == 0) {
      // Each of the last seat's hands that can be dealt is one deal: counted in a tight loop,
      // the steps still counted for the stop check.
      for (std::size_t begin = 0; begin < seat_candidates.size(); begin += kStopCheckInterval) {
        const std::size_t end = std::min(seat_candidates.size(), begin + kStopCheckInterval);
        for (std::size_t i = begin; i < end; ++i) {
          so_far += (seat_candidates.masks[i] & ~available) == 0;
        }
        if (!budget_.steps(end - begin)) return kDealLimit + 1;
      }
      return so_far;
    }
    for (std::size_t i = 0; i < seat_candidates.size() && so_far <= kDealLimit; ++i) {
      if (!budget_.step()) return kDealLimit + 1;
      const CardMask mask = seat_candidates.masks[i];
      if ((mask & ~available) == 0) so_far = count_deals(seat + 1, available & ~mask, so_far);
    }
    return so_far;
  }

  // Whether the deals may pass kDealLimit: the seats' kept hands and the boards left when only
  // the dead cards are taken multiply to at least as many deals as there are.
  bool deals_may_pass_limit() const {
    sampler::Count bound = free_boards(request_.deal.live);
    for (const SeatCandidates& seat : candidates_) {
      bound = sampler::saturating_mul(bound, sampler::Count{seat.size()});
    }
    return bound > kDealLimit;
  }

  // How many boards complete a deal with `available` cards left (one when there is no board).
  sampler::Count free_boards(CardMask available) const {
    if (request_.deal.board_size == 0) return 1;
    const sampler::DrawPlan& plan = request_.deal.board_plan;
    CardMask admissible = available & plan.available & cards::kFullDeck;
    for (const Card card : plan.fixed_cards) {
      if ((admissible & cards::card_bit(card)) == 0) return 0;
      admissible &= ~cards::card_bit(card);
    }
    const auto capped = std::min<sampler::Count>(
        sampler::binomial(static_cast<std::uint64_t>(std::popcount(admissible)),
                          plan.remaining_count()),
        sampler::Count{kDealLimit} + 1);
    return capped;
  }

  // Walks the seats' hands of one class of alike deals each: a choice of hands is walked only
  // when no renaming of suits that keeps the request makes it smaller, compared seat by seat
  // (as card sets), and its boards then count for every choice the renamings make of it.
  // `tied` holds the renamings (bit j for renamings_[j]) that map the hands chosen so far onto
  // themselves: only those can still make the choice smaller, and at the last seat they are
  // the choice's stabiliser, whose size divides the group's.
  bool walk_seat(std::size_t seat, CardMask available, std::uint32_t tied) {
    // The stop check goes by the deals spent, looked at before each board walk: here rather than
    // in the board walk, whose loops are the hot spot (a check there changed how the compiler
    // inlined and kept registers in them, and slowed whole walks by 5-8%).
    if (seat == seat_count_) {
      seat_ties_ = tied;
      weight_ = ties_.weight_of(tied);
      return budget_.before_deals() && walk_board(available);
    }
    if (seat + 1 == seat_count_ && tied == 0 && request_.deal.board_size == 0 &&
        mode_ == WalkMode::ByClasses) {
      return last_seat_by_value(seat, available);
    }
    const SeatCandidates& seat_candidates = candidates_[seat];
    for (std::size_t i = 0; i < seat_candidates.size(); ++i) {
      const CardMask mask = seat_candidates.masks[i];
      if ((mask & ~available) != 0) continue;
      std::uint32_t still_tied = tied;
      if (tied != 0 && !ties_.least_of_class(mask, still_tied)) {
        // Choices passed over cost no deals: they are counted in steps.
        if (!budget_.step()) return false;
        continue;
      }
      chosen_[seat] = &seat_candidates.hands[i];
      if constexpr (Scorer::kOmaha) scorer_.prepare_pairs(seat_candidates.hand(i), pairs_[seat]);
      if (!walk_seat(seat + 1, available & ~mask, still_tied)) return false;
    }
    return true;
  }

  // Without a board the last seat's hands are counted by how they fare against the other seats
  // (last_seat_ways.hpp). No renaming ties the seats before (`tied` is empty), so every hand
  // stands for the whole group.
  bool last_seat_by_value(std::size_t seat, CardMask available) {
    typename Scorer::Winners others;
    for (std::size_t other = 0; other < seat; ++other) {
      others.offer(static_cast<unsigned>(other), chosen_[other]->high, chosen_[other]->low);
    }
    LastSeatWays<Scorer::kHasLow> ways;
    if (!budget_.before_deals() || !ways.count(candidates_[seat], available, others, budget_)) {
      return false;
    }
    if (!budget_.spend(sampler::Count{ways.deals()} * ties_.group_size())) return false;
    ways.add_to(counts_, others, seat, ties_.group_size());
    return true;
  }

  void score(const CardSummary& board, std::span<const Card> board_cards, std::uint64_t weight) {
    counts_.add(
        scorer_.score(std::span(chosen_.data(), seat_count_), pairs_.data(), board, board_cards),
        weight);
  }

  bool walk_board(CardMask available) {
    if (request_.deal.board_size == 0) {
      if (!budget_.spend(weight_)) return false;
      score(CardSummary{}, {}, weight_);
      return true;
    }
    const sampler::DrawPlan& plan = request_.deal.board_plan;
    if (plan.kind == sampler::PlanKind::AllFree || plan.remaining_count() == 0) {
      return walk_free_board(plan, available);
    }
    std::uint64_t listed = 0;
    const bool within = sampler::for_each_completion(
        plan, available, budget_.left() / weight_, [&](std::span<const Card> board_cards) {
          ++listed;
          score(variants::summarize(board_cards), board_cards, weight_);
        });
    return within && budget_.spend(sampler::Count{listed} * weight_);
  }

  // Boards whose open cards are all wildcards: every combination of the cards left, enumerated
  // in nested loops that extend the board's summary one card at a time.
  bool walk_free_board(const sampler::DrawPlan& plan, CardMask available) {
    CardMask admissible = available & plan.available & cards::kFullDeck;
    CardSummary fixed;
    std::size_t size = 0;
    for (const Card card : plan.fixed_cards) {
      if ((admissible & cards::card_bit(card)) == 0) return true;  // a board card is taken
      admissible &= ~cards::card_bit(card);
      fixed.add(card);
      board_[size++] = card;
    }
    const std::size_t open = plan.remaining_count();
    std::size_t pool_size = 0;
    for (CardMask left = admissible; left != 0; left &= left - 1) {
      pool_[pool_size++] = static_cast<Card>(std::countr_zero(left));
    }
    if (pool_size < open) return true;
    if (!budget_.spend(sampler::binomial(pool_size, open) * weight_)) return false;
    if constexpr (BoardsByRanks<Scorer>::kApplies) {
      if (mode_ == WalkMode::ByClasses && open >= 2 && request_.deal.board_size == 5) {
        for (std::size_t seat = 0; seat < seat_count_; ++seat) own_[seat] = chosen_[seat]->summary;
        BoardsByRanks<Scorer> by_ranks(scorer_, counts_, std::span(own_.data(), seat_count_),
                                       pairs_.data(), fixed, std::span(board_.data(), size),
                                       std::span(pool_.data(), pool_size), open);
        if (by_ranks.holds(request_.deal.board_size)) {
          // Every board of the seats' class counts: the renamings are not used on the board.
          by_ranks.walk(weight_);
          return true;
        }
      }
    }
    const BoardTies ties{seat_ties_, -1, 0};
    switch (open) {
      case 0:
        enumerate<0>(0, pool_size, size, fixed, ties);
        break;
      case 1:
        enumerate<1>(0, pool_size, size, fixed, ties);
        break;
      case 2:
        enumerate<2>(0, pool_size, size, fixed, ties);
        break;
      case 3:
        enumerate<3>(0, pool_size, size, fixed, ties);
        break;
      case 4:
        enumerate<4>(0, pool_size, size, fixed, ties);
        break;
      default:
        enumerate<5>(0, pool_size, size, fixed, ties);
        break;
    }
    return true;
  }

  // The open board cards are walked one class at a time too, under the renamings that keep the
  // seats' hands: boards are compared rank by rank from the lowest, each rank by the set of
  // suits the board has of it. Since the cards come in increasing order, a rank's suits are
  // final once a card of a higher rank comes, and only then compared. `ties` holds the
  // renamings still tied, the rank of the last card placed and the board's suits of that rank
  // (rank -1 and no suits before the first card).
  struct BoardTies {
    std::uint32_t tied;
    int rank;
    unsigned suits;
  };

  template <std::size_t kOpen>
  void enumerate(std::size_t start, std::size_t pool_size, std::size_t placed,
                 const CardSummary& board, const BoardTies& ties) {
    if constexpr (kOpen == 0) {
      std::uint32_t tied = ties.tied;
      if (tied != 0 && !ties_.least_suits(ties.suits, tied)) return;
      score(board, std::span<const Card>(board_.data(), placed), ties_.weight_of(tied));
    } else if constexpr (kOpen == 1 && Scorer::kSummaries) {
      // The last card: each seat's hand with the board so far is summed once, and every
      // candidate card then only adds its own code.
      for (std::size_t seat = 0; seat < seat_count_; ++seat) {
        const CardSummary& own = chosen_[seat]->summary;
        partial_[seat] = {own.code + board.code, own.suit_ranks | board.suit_ranks};
      }
      if (ties.tied != 0) return last_cards_tied(start, pool_size, ties);
      // Few seats get a loop of known length, which the compiler unrolls.
      switch (seat_count_) {
        case 2:
          last_cards<2>(start, pool_size);
          break;
        case 3:
          last_cards<3>(start, pool_size);
          break;
        case 4:
          last_cards<4>(start, pool_size);
          break;
        default:
          last_cards<0>(start, pool_size);
          break;
      }
    } else {
      // The ties past the rank of the last card placed, settled when the first card of a
      // higher rank comes.
      std::uint32_t above = ties.tied;
      bool settled = ties.tied == 0;
      for (std::size_t i = start; i + kOpen <= pool_size; ++i) {
        const Card card = pool_[i];
        board_[placed] = card;
        BoardTies next{0, 0, 0};
        if (ties.tied != 0) {
          const int rank = card >> 2;
          const unsigned suit = 1u << (card & 3);
          if (rank == ties.rank) {
            next = {ties.tied, rank, ties.suits | suit};
          } else {
            // Every later card is of a higher rank too: a smaller renaming ends the loop.
            if (!settled && !ties_.least_suits(ties.suits, above)) return;
            settled = true;
            next = {above, rank, suit};
          }
        }
        enumerate<kOpen - 1>(i + 1, pool_size, placed + 1, board.plus(card), next);
      }
    }
  }

  // last_cards() while some renaming still ties the board: each last card settles the ties.
  void last_cards_tied(std::size_t start, std::size_t pool_size, const BoardTies& ties) {
    std::uint32_t above = ties.tied;
    bool settled = false;
    for (std::size_t i = start; i < pool_size; ++i) {
      const Card card = pool_[i];
      const int rank = card >> 2;
      const unsigned suit = 1u << (card & 3);
      std::uint32_t tied;
      unsigned suits;
      if (rank == ties.rank) {
        tied = ties.tied;
        suits = ties.suits | suit;
      } else {
        if (!settled && !ties_.least_suits(ties.suits, above)) return;
        settled = true;
        tied = above;
        suits = suit;
      }
      if (tied != 0 && !ties_.least_suits(suits, tied)) continue;
      counts_.add(scorer_.score_with_card(partial_.data(), seat_count_, card),
                  ties_.weight_of(tied));
    }
  }

  // Scores every pool card from `start` as the board's last card; kSeats is the seat count, or
  // 0 to read it at run time.
  template <std::size_t kSeats>
  void last_cards(std::size_t start, std::size_t pool_size) {
    const std::size_t seats = kSeats ? kSeats : seat_count_;
    const std::uint64_t weight = ties_.group_size();  // no renaming keeps the deal
    for (std::size_t i = start; i < pool_size; ++i) {
      counts_.add(scorer_.score_with_card(partial_.data(), seats, pool_[i]), weight);
    }
  }

  WalkMode mode_;
  const PreparedRequest& request_;
  Scorer scorer_;
  OutcomeCounts counts_;
  std::size_t seat_count_;
  WalkBudget budget_;
  std::vector<SeatCandidates> candidates_;
  std::array<const SeatHand*, kMostSeats> chosen_{};
  std::array<CardSummary, kMostSeats> partial_{};
  std::array<CardSummary, kMostSeats> own_{};
  std::array<omaha::HolePairs, kMostSeats> pairs_{};
  std::array<Card, cards::kCardCount> pool_{};
  std::array<Card, kMostBoardCards> board_{};
  RenamingTies ties_;            // the renamings that keep the request
  std::uint64_t weight_ = 1;     // the deals each scored deal stands for, seats alone
  std::uint32_t seat_ties_ = 0;  // the renamings keeping the seats' hands
};

}  // namespace

Expected<std::optional<ChunkTally>, EngineError> walk_exactly(const PreparedRequest& request,
                                                              Caller* caller, WalkMode mode) {
  using Walked = Expected<std::optional<ChunkTally>, EngineError>;
  const std::size_t seat_count = request.deal.seat_count;
  const auto unprepared = [] {
    return Walked{
        fail(EngineError{InternalFault{"the exact walk was given an unprepared request"}})};
  };
  if (request.game == nullptr || seat_count == 0 || seat_count > kMostSeats ||
      request.deal.board_size > kMostBoardCards) {
    return unprepared();
  }
  const std::size_t hand_size = request.seats.front().front().size();
  return variants::with_showdown(
      *request.game,
      [&](auto showdown) -> Walked {
        using Showdown = decltype(showdown);
        const std::size_t count = hand_size + request.deal.board_size;
        if (!Showdown::holds(count)) {
          return fail(EngineError{cards::CardError::too_many_cards(count)});
        }
        if (certainly_too_many_hands(request)) return std::optional<ChunkTally>{};
        CallerWatch watch(caller);
        Walker<Showdown> walker(request, hand_size, watch, mode);
        const bool walked = walker.run();
        if (walker.stopped()) return fail(EngineError{Stopped{}});
        if (!walked) return std::optional<ChunkTally>{};
        ChunkTally tally(seat_count);
        tally.exact = true;
        walker.counts().add_to(tally);
        return std::optional<ChunkTally>{std::move(tally)};
      },
      unprepared);
}

}  // namespace vantor::odds
