#include "odds/exact_walk.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "cards/masks.hpp"
#include "odds/boards_by_ranks.hpp"
#include "odds/outcome_counts.hpp"
#include "odds/suit_symmetry.hpp"
#include "sampler/count.hpp"
#include "sampler/draw.hpp"
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

// Every complete hand one seat may hold, over all its alternatives in order, back to back.
struct SeatCandidates {
  std::size_t width = 0;
  std::size_t listed = 0;       // hands listed, including any that repeat a card
  std::vector<Card> cards;      // the usable hands' cards, `width` each
  std::vector<CardMask> masks;  // each usable hand's cards as a set
  std::vector<SeatHand> hands;  // each usable hand as the scorer keeps it

  std::size_t size() const { return masks.size(); }
  std::span<const Card> hand(std::size_t i) const { return {cards.data() + i * width, width}; }
};

// The exact number of hands a plan lists under `admissible`, when it is cheap to know: plans of
// wildcard slots only (and fixed cards). Used to decline a hopeless request before listing it.
std::optional<sampler::Count> quick_count(const sampler::DrawPlan& plan, CardMask admissible) {
  if (plan.kind != sampler::PlanKind::AllFree && plan.remaining_count() != 0) return std::nullopt;
  admissible &= plan.available & cards::kFullDeck;
  const CardMask fixed = plan.fixed_mask;
  if ((fixed & ~admissible) != 0) return sampler::Count{0};
  const auto free_cards = static_cast<std::uint64_t>(std::popcount(admissible & ~fixed));
  return sampler::binomial(free_cards, plan.remaining_count());
}

// True when the seats certainly multiply past the limit: the product of the seats whose counts
// are known without listing is already too large. Every path of the full check declines then.
bool hopeless(const PreparedRequest& request) {
  sampler::Count product = 1;
  for (const auto& plans : request.deal.seat_plans) {
    sampler::Count seat_total = 0;
    for (const auto& plan : plans) {
      const auto count = quick_count(plan, request.deal.live);
      if (!count) {
        seat_total = 0;
        break;
      }
      seat_total = sampler::saturating_add(seat_total, *count);
    }
    if (seat_total == 0) continue;  // unknown, or none: the walk itself decides
    product = sampler::saturating_mul(product, seat_total);
  }
  return product > kDealLimit;
}

template <class Showdown>
class Walker {
 public:
  Walker(const PreparedRequest& request, std::size_t hand_size, StopCheck& stop, WalkMode mode)
      : mode_(mode),
        request_(request),
        scorer_(hand_size, request.deal.board_size),
        counts_(request.deal.seat_count),
        seat_count_(request.deal.seat_count),
        stop_(stop) {}

  // False when the walk declines, or was stopped.
  bool run() {
    if (!list_candidates()) return false;
    // When every board is a plain combination the deals can be counted without scoring them,
    // so a walk that would run out of budget declines before doing the work.
    if (free_board() && count_deals(0, request_.deal.live, 0) > kDealLimit) return false;
    if (mode_ == WalkMode::ByClasses) take_renamings(request_symmetries(request_));
    return walk_seat(0, request_.deal.live, (std::uint32_t{1} << renamings_.size()) - 1);
  }

  OutcomeCounts& counts() { return counts_; }

 private:
  using Scorer = variants::DealScorer<Showdown>;

  // The renamings of suits that keep the request, with what the walk reads of them: the weight of
  // a deal by how many renamings keep it (the group's size over its stabiliser's), and what each
  // renaming makes of a set of suits.
  void take_renamings(std::vector<SuitRenaming> renamings) {
    renamings_ = std::move(renamings);
    group_size_ = renamings_.size() + 1;
    for (std::size_t k = 0; k <= renamings_.size(); ++k) weight_by_ties_[k] = group_size_ / (k + 1);
    for (std::size_t j = 0; j < renamings_.size(); ++j) {
      for (unsigned suits = 0; suits < 16; ++suits) {
        unsigned renamed = 0;
        for (unsigned suit = 0; suit < 4; ++suit) {
          if (suits >> suit & 1) renamed |= 1u << renamings_[j].to[suit];
        }
        nibble_to_[j][suits] = static_cast<std::uint8_t>(renamed);
      }
    }
  }

  // False when the call is to stop: asks the stop check once per kStopCheckInterval steps of
  // listing and counting. The walk asks it by the deals spent (walk_seat()).
  bool keep_going() { return --until_check_ != 0 || look_after_steps(); }

  // The looks are out of line and cold, so that they add next to nothing to the loops they sit in.
  [[gnu::noinline, gnu::cold]] bool look_after_steps() {
    until_check_ = kStopCheckInterval;
    return look();
  }
  [[gnu::noinline, gnu::cold]] bool look_after_deals() {
    next_look_ = budget_ > kStopCheckInterval ? budget_ - kStopCheckInterval : 0;
    return look();
  }
  bool look() {
    stopped_ = stopped_ || stop_.should_stop();
    return !stopped_;
  }

  // Lists every seat's hands in two passes over its plans: the first counts them, storing
  // nothing, so that a walk that declines does so before any memory is spent; the second stores
  // the ones that can be dealt, at their exact number. A hand with a card another seat or the
  // board certainly holds is in no deal: it counts as listed (which the product rule goes by)
  // but is not kept.
  bool list_candidates() {
    candidates_.resize(seat_count_);
    sampler::Count product = 1;
    std::uint64_t kept_in_all = 0;
    for (std::size_t seat = 0; seat < seat_count_; ++seat) {
      SeatCandidates& out = candidates_[seat];
      out.width = request_.seats[seat].front().size();
      const CardMask elsewhere = request_.deal.reserved & ~request_.deal.own[seat];
      const auto usable = [&](std::span<const Card> hand, CardMask mask) {
        // A hand repeating a card is never usable; it still counts as listed.
        return static_cast<std::size_t>(std::popcount(mask)) == hand.size() &&
               (mask & elsewhere) == 0;
      };
      // A seat listing more hands than the deal limit declines by the product rule anyway, and
      // one keeping more than the candidate limit declines too: the count stops at either.
      std::uint64_t kept = 0;
      const bool counted = for_each_hand(seat, [&](std::span<const Card> hand) {
        ++out.listed;
        if (usable(hand, cards::mask_of(hand))) ++kept;
        return out.listed <= kDealLimit && kept_in_all + kept <= kCandidateLimit;
      });
      if (!counted || out.listed == 0) return false;
      product = sampler::saturating_mul(product, out.listed);
      kept_in_all += kept;
      if (product > kDealLimit || kept_in_all > kCandidateLimit) return false;

      out.cards.reserve(kept * out.width);
      out.masks.reserve(kept);
      out.hands.reserve(kept);
      const bool stored = for_each_hand(seat, [&](std::span<const Card> hand) {
        const CardMask mask = cards::mask_of(hand);
        if (usable(hand, mask)) {
          out.cards.insert(out.cards.end(), hand.begin(), hand.end());
          out.masks.push_back(mask);
          out.hands.push_back(scorer_.prepare(hand));
        }
        return true;
      });
      if (!stored) return false;
    }
    return true;
  }

  // Every hand of the seat's plans, in order, while `visit` returns true; false when a plan
  // lists more than the deal limit, `visit` said stop or the call is to stop (the rest of the
  // plan's hands are then passed over).
  template <class Visit>
  bool for_each_hand(std::size_t seat, Visit&& visit) {
    bool going = true;
    for (const auto& plan : request_.deal.seat_plans[seat]) {
      const bool listed = sampler::for_each_completion(
          plan, request_.deal.live, kDealLimit,
          [&](std::span<const Card> hand) { going = going && keep_going() && visit(hand); });
      if (!listed || !going) return false;
    }
    return true;
  }

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
        until_check_ = until_check_ > end - begin ? until_check_ - (end - begin) : 1;
        if (!keep_going()) return kDealLimit + 1;
      }
      return so_far;
    }
    for (std::size_t i = 0; i < seat_candidates.size() && so_far <= kDealLimit; ++i) {
      if (!keep_going()) return kDealLimit + 1;
      const CardMask mask = seat_candidates.masks[i];
      if ((mask & ~available) == 0) so_far = count_deals(seat + 1, available & ~mask, so_far);
    }
    return so_far;
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
      weight_ = weight_of(tied);
      return (budget_ >= next_look_ || look_after_deals()) && walk_board(available);
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
      if (tied != 0 && !least_of_class(mask, still_tied)) {
        // Choices passed over cost no deals: they are counted in steps.
        if (!keep_going()) return false;
        continue;
      }
      chosen_[seat] = &seat_candidates.hands[i];
      if constexpr (Scorer::kOmaha) scorer_.prepare_pairs(seat_candidates.hand(i), pairs_[seat]);
      if (!walk_seat(seat + 1, available & ~mask, still_tied)) return false;
    }
    return true;
  }

  // Without a board, a seat's hand has its values once it is chosen, and the last seat's hands
  // then fare in one of three ways against the other seats' best (better, equal, worse) in each
  // half of the pot. The last seat's hands are counted by those ways, each way scored once. No
  // renaming ties the seats before (`tied` is empty), so every hand stands for group_size_.
  bool last_seat_by_value(std::size_t seat, CardMask available) {
    typename Scorer::Winners others;
    for (std::size_t other = 0; other < seat; ++other) {
      others.offer(static_cast<unsigned>(other), chosen_[other]->high, chosen_[other]->low);
    }
    const variants::Winners& high = others.high();
    const variants::Winners& low = others.low();
    // By (high way) * 3 + low way; a way is 0 worse (or no qualifying low), 1 equal, 2 better.
    std::array<std::uint64_t, 9> by_way{};
    const SeatCandidates& last = candidates_[seat];
    // The stop check by the deals spent, as before a board walk, and then every check interval
    // of hands.
    if (budget_ < next_look_ && !look_after_deals()) return false;
    for (std::size_t begin = 0; begin < last.size(); begin += kStopCheckInterval) {
      if (begin != 0 && !look()) return false;
      const std::size_t end = std::min(last.size(), begin + kStopCheckInterval);
      // Without branches: how a hand fares is a coin toss, and a mispredicted branch costs
      // more than counting the hand.
      for (std::size_t i = begin; i < end; ++i) {
        const SeatHand& hand = last.hands[i];
        std::size_t way = 3 * (std::size_t{hand.high < high.best} + (hand.high <= high.best));
        if constexpr (Scorer::kHasLow) {
          const std::size_t qualifies = hand.low < variants::kEightOrBetter;
          way += qualifies * (std::size_t{hand.low < low.best} + (hand.low <= low.best));
        }
        by_way[way] += (last.masks[i] & ~available) == 0;
      }
    }
    std::uint64_t deals = 0;
    for (const std::uint64_t count : by_way) deals += count;
    if (!spend(deals * group_size_)) return false;
    const std::uint32_t bit = std::uint32_t{1} << seat;
    const std::array<std::uint32_t, 3> highs{high.seats, high.seats | bit, bit};
    const std::array<std::uint32_t, 3> lows{low.seats, low.seats | bit, bit};
    for (std::size_t way = 0; way < by_way.size(); ++way) {
      if (by_way[way] != 0) counts_.add({highs[way / 3], lows[way % 3]}, by_way[way] * group_size_);
    }
    return true;
  }

  // False when a renaming of `tied` makes `mask` smaller; otherwise drops from `tied` the
  // renamings that make it larger.
  bool least_of_class(CardMask mask, std::uint32_t& tied) const {
    for (std::uint32_t left = tied; left != 0; left &= left - 1) {
      const auto j = static_cast<unsigned>(std::countr_zero(left));
      const CardMask renamed = rename_suits(mask, renamings_[j]);
      if (renamed < mask) return false;
      if (renamed > mask) tied &= ~(std::uint32_t{1} << j);
    }
    return true;
  }

  void score(const CardSummary& board, std::span<const Card> board_cards, std::uint64_t weight) {
    counts_.add(
        scorer_.score(std::span(chosen_.data(), seat_count_), pairs_.data(), board, board_cards),
        weight);
  }

  bool spend(std::uint64_t deals) {
    if (deals > budget_) return false;
    budget_ -= deals;
    return true;
  }

  bool walk_board(CardMask available) {
    if (request_.deal.board_size == 0) {
      if (!spend(weight_)) return false;
      score(CardSummary{}, {}, weight_);
      return true;
    }
    const sampler::DrawPlan& plan = request_.deal.board_plan;
    if (plan.kind == sampler::PlanKind::AllFree || plan.remaining_count() == 0) {
      return walk_free_board(plan, available);
    }
    std::uint64_t listed = 0;
    const bool within = sampler::for_each_completion(
        plan, available, budget_ / weight_, [&](std::span<const Card> board_cards) {
          ++listed;
          score(variants::summarize(board_cards), board_cards, weight_);
        });
    return within && spend(listed * weight_);
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
    const sampler::Count deals = sampler::binomial(pool_size, open) * weight_;
    if (deals > budget_) return false;
    budget_ -= static_cast<std::uint64_t>(deals);
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
      if (tied != 0 && !least_suits(ties.suits, tied)) return;
      score(board, std::span<const Card>(board_.data(), placed), weight_of(tied));
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
            if (!settled && !least_suits(ties.suits, above)) return;
            settled = true;
            next = {above, rank, suit};
          }
        }
        enumerate<kOpen - 1>(i + 1, pool_size, placed + 1, board.plus(card), next);
      }
    }
  }

  // The deals a deal stands for when `tied` (and the identity) are the renamings keeping it.
  std::uint64_t weight_of(std::uint32_t tied) const {
    return weight_by_ties_[static_cast<std::size_t>(std::popcount(tied))];
  }

  // least_of_class() for the board's suits of one rank, final now.
  bool least_suits(unsigned suits, std::uint32_t& tied) const {
    for (std::uint32_t left = tied; left != 0; left &= left - 1) {
      const auto j = static_cast<unsigned>(std::countr_zero(left));
      const unsigned renamed = nibble_to_[j][suits];
      if (renamed < suits) return false;
      if (renamed > suits) tied &= ~(std::uint32_t{1} << j);
    }
    return true;
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
        if (!settled && !least_suits(ties.suits, above)) return;
        settled = true;
        tied = above;
        suits = suit;
      }
      if (tied != 0 && !least_suits(suits, tied)) continue;
      counts_.add(scorer_.score_with_card(partial_.data(), seat_count_, card), weight_of(tied));
    }
  }

  // Scores every pool card from `start` as the board's last card; kSeats is the seat count, or
  // 0 to read it at run time.
  template <std::size_t kSeats>
  void last_cards(std::size_t start, std::size_t pool_size) {
    const std::size_t seats = kSeats ? kSeats : seat_count_;
    const std::uint64_t weight = group_size_;  // no renaming keeps the deal
    for (std::size_t i = start; i < pool_size; ++i) {
      counts_.add(scorer_.score_with_card(partial_.data(), seats, pool_[i]), weight);
    }
  }

  WalkMode mode_;
  const PreparedRequest& request_;
  Scorer scorer_;
  OutcomeCounts counts_;
  std::size_t seat_count_;
  std::uint64_t budget_ = kDealLimit;
  std::vector<SeatCandidates> candidates_;
  std::array<const SeatHand*, kMostSeats> chosen_{};
  std::array<CardSummary, kMostSeats> partial_{};
  std::array<CardSummary, kMostSeats> own_{};
  std::array<omaha::HolePairs, kMostSeats> pairs_{};
  std::array<Card, cards::kCardCount> pool_{};
  std::array<Card, kMostBoardCards> board_{};
  std::vector<SuitRenaming> renamings_;  // those that keep the request, identity left out
  std::uint64_t group_size_ = 1;         // renamings_ and the identity
  std::uint64_t weight_ = 1;             // the deals each scored deal stands for, seats alone
  std::uint32_t seat_ties_ = 0;          // the renamings keeping the seats' hands
  std::array<std::uint64_t, 24> weight_by_ties_{1};           // weight_of() by the renamings tied
  std::array<std::array<std::uint8_t, 16>, 23> nibble_to_{};  // renamings_[j] of a suit set
  StopCheck& stop_;
  std::uint64_t next_look_ = kDealLimit - kStopCheckInterval;  // walk_seat() looks below this
  std::uint64_t until_check_ = kStopCheckInterval;             // keep_going() looks at 0
  bool stopped_ = false;
};

}  // namespace

Expected<std::optional<ChunkTally>, EngineError> walk_exactly(const variants::Variant& game,
                                                              const PreparedRequest& request,
                                                              Caller* caller, WalkMode mode) {
  using Walked = Expected<std::optional<ChunkTally>, EngineError>;
  const std::size_t seat_count = request.deal.seat_count;
  const auto unprepared = [] {
    return Walked{
        fail(EngineError{InternalFault{"the exact walk was given an unprepared request"}})};
  };
  if (seat_count == 0 || seat_count > kMostSeats || request.deal.board_size > kMostBoardCards) {
    return unprepared();
  }
  const std::size_t hand_size = request.seats.front().front().size();
  return variants::with_showdown(
      game,
      [&](auto showdown) -> Walked {
        using Showdown = decltype(showdown);
        const std::size_t count = hand_size + request.deal.board_size;
        if (!Showdown::holds(count)) {
          return fail(EngineError{cards::CardError::too_many_cards(count)});
        }
        if (hopeless(request)) return std::optional<ChunkTally>{};
        CallerWatch watch(caller);
        Walker<Showdown> walker(request, hand_size, watch, mode);
        const bool walked = walker.run();
        if (watch.stopped()) return fail(EngineError{Stopped{}});
        if (!walked) return std::optional<ChunkTally>{};
        ChunkTally tally(seat_count);
        tally.exact = true;
        walker.counts().add_to(tally);
        return std::optional<ChunkTally>{std::move(tally)};
      },
      unprepared);
}

}  // namespace vantor::odds
