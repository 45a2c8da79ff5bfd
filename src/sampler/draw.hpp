#pragma once

// A DrawPlan is how one alternative's cards (or the board's) are drawn: cards pinned by a
// single-card slot are fixed, and the other slots are drawn by the cheapest of four kinds.
// Wildcard ("free") slots are split off from constrained ones when there are few slots, so an
// alternative like "any ace" plus `*` needs only a four-entry list and one uniform card, with
// a multiplicity correction keeping every hand equally likely.
//
// A plan is built once with its request and read-only afterwards; drawing takes the generator
// and the output list from the calling worker.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "cards/card.hpp"
#include "sampler/count.hpp"
#include "sampler/random.hpp"
#include "sampler/shape.hpp"

namespace vantor::sampler {

// Alternatives with at most this many feasible card sets are drawn from an explicit list with a
// single random index.
inline constexpr Count kListedLimit = 200'000;
// The split into free and constrained slots is made only with at most this many remaining
// slots, which also bounds the subsets the multiplicity correction examines (2^8).
inline constexpr std::size_t kSplitSlotLimit = 8;

enum class PlanKind : std::uint8_t {
  AllFree,    // every remaining slot accepts every available card
  Listed,     // every feasible set of the covered slots, picked by one 64-bit uniform
  Shaped,     // a Shape over the covered slots (too many sets to list)
  Rejection,  // no shape could be built: uniform cards from the union mask, kept if they fit
};

struct DrawPlan {
  // The cards the plan was built under. Drawing and listing intersect the admissible mask with
  // it, so a wildcard slot can never produce a card the plan was told is unavailable, even
  // when a caller's admissible mask is wider.
  cards::CardMask available = 0;
  std::vector<cards::Card> fixed_cards;          // pinned by single-card slots, in order found
  cards::CardMask fixed_mask = 0;                // the same cards as one set
  std::size_t slot_count = 0;                    // slots of the alternative
  std::vector<cards::CardMask> remaining_slots;  // the others, in order, forced cards removed
  PlanKind kind = PlanKind::AllFree;
  // The slots the kind covers: the constrained slots when the plan is split, else all
  // remaining slots.
  std::vector<cards::CardMask> covered_slots;
  cards::CardMask union_mask = 0;  // available cards some covered slot accepts
  std::size_t free_count = 0;      // free slots drawn in phase two (0 without a split)
  std::vector<cards::CardMask> constrained_masks;  // empty without a split
  bool disjoint = false;                           // the constrained masks are pairwise disjoint
  // The constrained masks gathered into groups of equal masks (slots like the two of "QQ**"),
  // when the groups are pairwise disjoint; group_count is 0 otherwise. The multiplicity is then
  // one binomial per group instead of a matching per subset of the drawn cards.
  struct SlotGroup {
    cards::CardMask mask = 0;
    std::uint32_t size = 0;  // slots with this mask
  };
  std::array<SlotGroup, kSplitSlotLimit> groups{};
  std::size_t group_count = 0;
  // Listed: the card sets back to back, covered_slots.size() cards each, and the mask of each
  // set so that one word test tells whether a set is still admissible.
  std::vector<cards::Card> listed_cards;
  std::vector<cards::CardMask> listed_masks;
  std::optional<Shape> shape;  // Shaped only

  std::size_t remaining_count() const { return remaining_slots.size(); }
  std::size_t listed_count() const { return listed_masks.size(); }
};

// Builds the plan of one alternative's slots under the available cards. Never fails.
DrawPlan build_plan(std::span<const cards::CardMask> slots, cards::CardMask available);

// The bytes a plan holds, itself and its lists (by capacity) included.
std::size_t footprint(const DrawPlan& plan);

// The number of ways the cards drawn after the fixed ones (`drawn`: the constrained slots' cards,
// then the free ones) can be split into a part that fits the constrained slots and a free rest.
// A hand reachable through l splits is proposed l times as often as a hand with one split, so
// draw_with_plan() keeps it with probability 1/l. The drawn cards are distinct, as every draw
// makes them.
std::uint32_t split_multiplicity(const DrawPlan& plan, std::span<const cards::Card> drawn);

// split_multiplicity() of a plan with groups (group_count > 0), from the drawn cards as a set:
// disjoint groups are filled independently, so the product of the choices per group.
inline std::uint32_t grouped_multiplicity(const DrawPlan& plan, cards::CardMask drawn) {
  std::uint32_t ways = 1;
  for (std::size_t g = 0; g < plan.group_count; ++g) {
    const DrawPlan::SlotGroup& group = plan.groups[g];
    ways *= static_cast<std::uint32_t>(
        class_binomial(static_cast<unsigned>(std::popcount(drawn & group.mask)), group.size));
  }
  return ways;
}

// The same number for any constrained masks, by trying every subset of the drawn cards of the
// constrained slots' size against them (at most kSplitSlotLimit cards). Where the plan has
// groups, split_multiplicity() gets it as the product over groups g of
// C(|drawn & mask_g|, size_g): with the groups' masks disjoint, a subset fits exactly when it
// holds size_g cards of each group's mask.
std::uint32_t split_multiplicity_by_subsets(std::span<const cards::CardMask> constrained,
                                            std::span<const cards::Card> drawn);

// Draws one hand into `out` (cleared first) using only cards of `admissible`: the fixed cards,
// then the kind's cards, then the free cards, in that order. Returns false (with `out` empty)
// when the draw fails; a failed draw is routine, not an error. No allocation once `out` has
// grown to the hand's size.
bool draw_with_plan(const DrawPlan& plan, cards::CardMask admissible, Generator& generator,
                    std::vector<cards::Card>& out);
// The same draw, giving the hand's cards as a set in `taken` when it succeeds.
bool draw_with_plan(const DrawPlan& plan, cards::CardMask admissible, Generator& generator,
                    std::vector<cards::Card>& out, cards::CardMask& taken);

// How draw_with_plan() proposes a hand, as a count: under admissible cards C (the fixed cards
// among them) it yields each hand it can yield with probability exactly 1 / N, where
//   N = kind_count * C(n - kind_cards, free_cards),
// n being the cards of C the plan may use besides its fixed cards. Per kind:
//  - no remaining slot: nothing is drawn; N = 1.
//  - all free: the remaining k cards drawn one by one from the n; a set comes up in k! orders
//    of chance 1 / (n (n - 1) ... (n - k + 1)) each, so N = C(n, k).
//  - listed: one index out of the L sets listed under `available`, kept when the set lies in C:
//    N = L, whatever C is.
//  - shaped: a pattern by weight, then each class's cards uniformly: N = the shape's total T.
//  - rejection: the covered slots' c cards drawn from the pool of the n cards some covered slot
//    accepts, kept when they fit: N = C(pool, c). Only this kind depends on C beyond n, through
//    the pool, which is smaller when earlier entries took cards of it.
//  - split: a hand H that splits into a constrained part the kind may propose and g free cards in
//    l ways is proposed along each split with chance (1 / N1) / C(n - c, g), N1 the kind's own
//    count, and kept with chance 1 / l; so N = N1 * C(n - c, g) (not the number of such hands,
//    which is smaller: surplus splits are rejected).
struct ProposalForm {
  // The kind's own count (1 when nothing is covered); not used by the rejection kind.
  double kind_count = 1;
  std::size_t kind_cards = 0;  // cards the kind draws: the covered slots' count
  std::size_t free_cards = 0;  // cards then drawn uniformly from the rest
  bool by_rejection = false;   // kind_count is C(pool, kind_cards), which depends on C
};
ProposalForm proposal_form(const DrawPlan& plan);

// N above under `admissible`: the inverse of the chance with which draw_with_plan() proposes each
// hand it can give there (0 when it can give none for lack of cards).
double proposal_count(const DrawPlan& plan, cards::CardMask admissible);

// Every hand the plan can produce from `admissible`, each the fixed cards followed by the rest,
// in a fixed order (shape listing order, or ascending combinations). too_many is set, and
// hands left empty, when there are more than `cap`; a cap of 2^64 - 1 means no cap.
// The same hands passed one by one to `visit` (the span lives only during the call) instead of
// stored; false, having visited nothing, when there are more than `cap`. `keep_going`, when
// given, is asked once every kListingStride hands tried, fitting the slots or not, so that a long
// listing can be stopped; false from it ends the listing, which then returns false.
inline constexpr std::size_t kListingStride = 256;
static_assert(std::has_single_bit(kListingStride));
bool for_each_completion(const DrawPlan& plan, cards::CardMask admissible, std::uint64_t cap,
                         const std::function<void(std::span<const cards::Card>)>& visit,
                         const std::function<bool()>& keep_going = {});

struct CompletionList {
  bool too_many = false;
  std::vector<std::vector<cards::Card>> hands;
};
CompletionList list_completions(const DrawPlan& plan, cards::CardMask admissible,
                                std::uint64_t cap);

}  // namespace vantor::sampler
