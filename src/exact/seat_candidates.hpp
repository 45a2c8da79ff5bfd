#pragma once

// The hands each seat may hold, listed before an exact walk combines them. Every seat's plans are
// listed in two passes: the first counts the hands, storing nothing, so that a walk that declines
// does so before any memory is spent; the second stores the ones that can be dealt, at their
// exact number. A hand with a card another seat or the board certainly holds is in no deal: it
// counts as listed (which the product rule goes by) but is not kept. Both passes take a step of
// the walk's budget for every hand they try, so a long listing answers a stop as the walk does.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"
#include "exact/walk_budget.hpp"
#include "request/prepared_request.hpp"
#include "sampler/count.hpp"
#include "sampler/draw.hpp"
#include "variants/deal_scorer.hpp"

namespace vantor::odds {

// Every complete hand one seat may hold, over all its alternatives in order, back to back.
struct SeatCandidates {
  std::size_t width = 0;
  std::size_t listed = 0;                 // hands listed, including any that repeat a card
  std::vector<cards::Card> cards;         // the usable hands' cards, `width` each
  std::vector<cards::CardMask> masks;     // each usable hand's cards as a set
  std::vector<variants::SeatHand> hands;  // each usable hand as the scorer keeps it

  std::size_t size() const { return masks.size(); }
  std::span<const cards::Card> hand(std::size_t i) const {
    return {cards.data() + i * width, width};
  }
};

// True when the seats certainly multiply past kDealLimit: the product of the seats whose counts
// are known without listing (wildcards and named cards only) is already too large. Every path of
// the full listing declines then, so a walk can decline before it lists anything.
bool certainly_too_many_hands(const PreparedRequest& request);

namespace detail {

// Every hand of the seat's plans, in order, while `visit` returns true; false when a plan lists
// more than the deal limit, `visit` said stop or the budget did.
template <class Visit>
bool for_each_hand(const PreparedRequest& request, std::size_t seat, WalkBudget& budget,
                   Visit&& visit) {
  bool going = true;
  for (const auto& plan : request.deal.seat_plans[seat]) {
    const bool listed = sampler::for_each_completion(
        plan, request.deal.live, kDealLimit,
        [&](std::span<const cards::Card> hand) { going = going && visit(hand); },
        [&] { return going && budget.steps(sampler::kListingStride); });
    if (!listed || !going) return false;
  }
  return true;
}

}  // namespace detail

// Lists every seat's hands into `candidates` (one entry per seat), each kept hand prepared by
// `scorer`. False when the walk declines (the seats' listed hands multiply past kDealLimit, or
// the kept ones pass kCandidateLimit) or the budget says stop.
template <class Scorer>
bool list_candidates(const PreparedRequest& request, const Scorer& scorer, WalkBudget& budget,
                     std::vector<SeatCandidates>& candidates) {
  const std::size_t seat_count = request.deal.seat_count;
  candidates.resize(seat_count);
  sampler::Count product = 1;
  std::uint64_t kept_in_all = 0;
  for (std::size_t seat = 0; seat < seat_count; ++seat) {
    SeatCandidates& out = candidates[seat];
    out.width = request.seats[seat].front().size();
    const cards::CardMask elsewhere = request.deal.reserved & ~request.deal.own[seat];
    const auto usable = [&](std::span<const cards::Card> hand, cards::CardMask mask) {
      // A hand repeating a card is never usable; it still counts as listed.
      return static_cast<std::size_t>(std::popcount(mask)) == hand.size() &&
             (mask & elsewhere) == 0;
    };
    // A seat listing more hands than the deal limit declines by the product rule anyway, and
    // one keeping more than the candidate limit declines too: the count stops at either.
    std::uint64_t kept = 0;
    const bool counted =
        detail::for_each_hand(request, seat, budget, [&](std::span<const cards::Card> hand) {
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
    const bool stored =
        detail::for_each_hand(request, seat, budget, [&](std::span<const cards::Card> hand) {
          const cards::CardMask mask = cards::mask_of(hand);
          if (usable(hand, mask)) {
            out.cards.insert(out.cards.end(), hand.begin(), hand.end());
            out.masks.push_back(mask);
            out.hands.push_back(scorer.prepare(hand));
          }
          return true;
        });
    if (!stored) return false;
  }
  return true;
}

}  // namespace vantor::odds
