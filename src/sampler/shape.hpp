#pragma once

// A Shape is precomputed for one list of slots (one card mask per card a hand holds) and one
// mask of available cards, so that a feasible card set for those slots (n distinct available
// cards that can be handed out one per slot) can later be drawn uniformly, counted again after
// other seats took cards (reweighting), or listed in full.
//
// Cards with the same signature (the set of slots accepting them) are interchangeable, so they
// form a class, and a pattern (how many cards to take from each class) decides feasibility on
// its own. A draw picks a pattern by weight (the number of card sets it stands for), then cards
// uniformly inside each class.
//
// A built Shape is immutable; operations that need working space write into buffers the caller
// passes, so one shape serves any number of threads at once.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cards/card.hpp"
#include "sampler/combinations.hpp"
#include "sampler/count.hpp"
#include "sampler/matching.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"

namespace vantor::sampler {

// The enumeration gives up when asked to continue while more than this many patterns are
// stored; alternatives whose slots overlap in that many ways are drawn by rejection instead.
inline constexpr std::size_t kPatternLimit = 20'000;

// One pattern as stored in a shape: its weight (product of binomials, saturating) and its count
// per class, which sum to the slot count.
struct ShapePattern {
  Count weight;
  std::span<const std::uint8_t> counts;
};

class Shape {
 public:
  // Builds the shape of slots m[0..n) over the available cards (indices 0..51 only). No shape
  // when n = 0, when n exceeds 64 (a signature is one 64-bit word), or when the enumeration was
  // abandoned at kPatternLimit. A shape with total weight 0 (no feasible set) is present but
  // must not be drawn from.
  static std::optional<Shape> build(std::span<const cards::CardMask> slots,
                                    cards::CardMask available);

  Count total_weight() const { return total_weight_; }
  std::size_t slot_count() const { return slot_count_; }
  const std::vector<cards::CardMask>& class_masks() const { return class_masks_; }
  const std::vector<Count>& cumulative_weights() const { return cumulative_; }
  std::size_t pattern_count() const { return weights_.size(); }
  // The bytes the shape's lists hold (by capacity), the object itself not included.
  std::size_t footprint() const;
  ShapePattern pattern(std::size_t index) const {
    return {weights_[index], {counts_.data() + index * class_masks_.size(), class_masks_.size()}};
  }

  // Appends one card set to `out`: a pattern chosen by a 128-bit uniform over [0, total), then
  // each class's cards uniformly (32-bit uniforms), class by class in class order. Pass the
  // shape's own class masks, table and total, or those a reweighting produced; total must be
  // greater than 0. Every feasible set (that avoids the cards a reweighting removed) is then
  // equally likely.
  void draw(std::span<const cards::CardMask> class_masks, std::span<const Count> cumulative,
            Count total, Generator& generator, std::vector<cards::Card>& out) const;
  void draw(Generator& generator, std::vector<cards::Card>& out) const {
    draw(class_masks_, cumulative_, total_weight_, generator, out);
  }
  // The same draw from a narrow reweighting (below): the same outputs consumed, the same cards.
  void draw(std::span<const cards::CardMask> class_masks, std::span<const std::uint64_t> cumulative,
            std::uint64_t total, Generator& generator, std::vector<cards::Card>& out) const;

  // The number of feasible card sets that use only cards of `available`. Fills the scratch lists
  // (cleared first, capacity kept) with the class masks under `available` and the cumulative
  // weights to draw with. No pattern is enumerated again: a pattern stays feasible as long as
  // every class still holds its count of cards, and its binomial is 0 otherwise.
  Count reweight(cards::CardMask available, std::vector<cards::CardMask>& class_masks,
                 std::vector<Count>& cumulative) const;

  // Whether every count of this shape fits 64 bits: its total does, and a reweighting only
  // shrinks classes, so it can only lower each binomial, each pattern's weight (and every
  // partial product of it) and every running sum. Such a shape is reweighted and drawn from in
  // 64-bit words, exactly.
  bool narrow() const { return (total_weight_ >> 64) == 0; }
  // reweight() of a narrow shape in 64-bit words: the same numbers.
  std::uint64_t reweight(cards::CardMask available, std::vector<cards::CardMask>& class_masks,
                         std::vector<std::uint64_t>& cumulative) const;
  // reweight() of a narrow shape and, when some set is left, draw() from it in one pass, the
  // class masks kept in locals: the same total, the same outputs consumed and the same cards.
  // Returns the total (0: nothing drawn, no output consumed); `taken` gets the cards' mask.
  // `cumulative` is working space (cleared, capacity kept).
  std::uint64_t reweight_and_draw(cards::CardMask available, Generator& generator,
                                  std::vector<std::uint64_t>& cumulative,
                                  std::vector<cards::Card>& out, cards::CardMask& taken) const;

  // Calls visit(cards) for every feasible card set, pattern by pattern, classes in order, each
  // class's combinations in lexicographic order of the cards' positions in ascending index
  // order, while visit returns true. False when visit ended the listing. The span lives only
  // during the call; nothing is allocated.
  template <class Visit>
  bool for_each_set(Visit&& visit) const {
    std::array<cards::Card, kMatchingCapacity> working;
    for (std::size_t p = 0; p < pattern_count(); ++p) {
      if (!sets_of_pattern(pattern(p).counts, 0, working, 0, visit)) return false;
    }
    return true;
  }

 private:
  // The cards of the chosen pattern, counts[k] from class k, picked the way kPicking says.
  // Both return the mask of the cards drawn.
  template <CardPicking kPicking>
  cards::CardMask draw_in_classes(std::span<const cards::CardMask> class_masks,
                                  const std::uint8_t* counts, Generator& generator,
                                  std::vector<cards::Card>& out) const;
  cards::CardMask draw_pattern(std::span<const cards::CardMask> class_masks, std::size_t chosen,
                               Generator& generator, std::vector<cards::Card>& out) const;
  // for_each_set() of one pattern from class k on, `size` cards chosen so far in `working`.
  template <class Visit>
  bool sets_of_pattern(std::span<const std::uint8_t> counts, std::size_t k,
                       std::array<cards::Card, kMatchingCapacity>& working, std::size_t size,
                       Visit& visit) const {
    while (k < counts.size() && counts[k] == 0) ++k;
    if (k == counts.size()) return visit(std::span<const cards::Card>(working.data(), size));
    return for_each_combination(
        class_masks_[k], counts[k], [&](std::span<const cards::Card> chosen) {
          std::copy(chosen.begin(), chosen.end(),
                    working.begin() + static_cast<std::ptrdiff_t>(size));
          return sets_of_pattern(counts, k + 1, working, size + chosen.size(), visit);
        });
  }
  // The narrow reweighting into caller's arrays (one entry per class, one per pattern); returns
  // the total.
  std::uint64_t narrow_sums(cards::CardMask available, cards::CardMask* class_masks,
                            std::uint64_t* sums) const;

  Count total_weight_ = 0;
  std::size_t slot_count_ = 0;
  std::vector<cards::CardMask> class_masks_;
  std::vector<Count> weights_;        // per pattern
  std::vector<std::uint8_t> counts_;  // per pattern, one count per class, row after row
  std::vector<Count> cumulative_;     // per pattern: saturating sum of weights 0..i
};

}  // namespace vantor::sampler
