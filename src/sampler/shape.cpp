#include "sampler/shape.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>

#include "sampler/cards_from_mask.hpp"
#include "sampler/combinations.hpp"
#include "sampler/footprint.hpp"
#include "sampler/matching.hpp"
#include "sampler/processor_paths.hpp"

namespace vantor::sampler {

using cards::Card;
using cards::CardMask;

namespace {

// The depth-first pattern enumeration over class k with r cards still to place. Trying counts
// 0, 1, ... in increasing order with class 0 outermost yields the patterns in lexicographic
// order of their count vectors; that order fixes the cumulative table, and with it which
// random number selects which pattern, so it must not change.
struct Enumeration {
  std::span<const CardMask> slots;
  const std::vector<CardMask>& class_masks;
  std::vector<Count>& weights;
  std::vector<std::uint8_t>& counts_rows;
  std::array<unsigned, cards::kCardCount> class_size{};
  std::array<unsigned, cards::kCardCount + 1> cards_from{};  // cards in classes k and beyond
  std::array<std::uint8_t, cards::kCardCount> counts{};

  // False when the enumeration was abandoned at the pattern limit.
  bool visit(std::size_t k, unsigned r) {
    if (weights.size() > kPatternLimit) return false;
    const std::size_t class_count = class_masks.size();
    if (k == class_count) {
      if (r == 0) store_if_feasible();
      return true;
    }
    if (r > cards_from[k]) return true;  // too few cards left to place r of them
    const unsigned most = std::min(r, class_size[k]);
    for (unsigned c = 0; c <= most; ++c) {
      counts[k] = static_cast<std::uint8_t>(c);
      if (!visit(k + 1, r - c)) return false;
    }
    counts[k] = 0;
    return true;
  }

  void store_if_feasible() {
    // Any counts[k] cards of class k behave alike, so the lowest ones represent the pattern.
    std::array<Card, kMatchingCapacity> representative;
    std::size_t size = 0;
    Count weight = 1;
    for (std::size_t k = 0; k < class_masks.size(); ++k) {
      CardMask mask = class_masks[k];
      for (unsigned i = 0; i < counts[k]; ++i) {
        representative[size++] = static_cast<Card>(std::countr_zero(mask));
        mask &= mask - 1;
      }
      weight = saturating_mul(weight, class_binomial(class_size[k], counts[k]));
    }
    if (!fits(slots, {representative.data(), size}) || weight == 0) return;
    weights.push_back(weight);
    counts_rows.insert(counts_rows.end(), counts.begin(), counts.begin() + class_masks.size());
  }
};

// uniform32_zone() of every size a class can have, looked up per card drawn.
constexpr auto kClassZones = [] {
  std::array<std::uint32_t, cards::kCardCount + 1> zones{};
  for (std::uint32_t size = 1; size <= cards::kCardCount; ++size)
    zones[size] = uniform32_zone(size);
  return zones;
}();

}  // namespace

std::optional<Shape> Shape::build(std::span<const CardMask> slots, CardMask available) {
  const std::size_t n = slots.size();
  if (n == 0 || n > kMatchingCapacity) return std::nullopt;

  Shape shape;
  shape.slot_count_ = n;
  std::vector<std::uint64_t> signatures;
  for (CardMask left = available & cards::kFullDeck; left != 0; left &= left - 1) {
    const auto card = static_cast<Card>(std::countr_zero(left));
    std::uint64_t signature = 0;
    for (std::size_t i = 0; i < n; ++i) signature |= ((slots[i] >> card) & 1) << i;
    if (signature == 0) continue;
    const auto found = std::find(signatures.begin(), signatures.end(), signature);
    if (found == signatures.end()) {
      signatures.push_back(signature);
      shape.class_masks_.push_back(cards::card_bit(card));
    } else {
      shape.class_masks_[static_cast<std::size_t>(found - signatures.begin())] |=
          cards::card_bit(card);
    }
  }

  Enumeration enumeration{slots, shape.class_masks_, shape.weights_, shape.counts_};
  const std::size_t class_count = shape.class_masks_.size();
  for (std::size_t k = 0; k < class_count; ++k) {
    enumeration.class_size[k] = static_cast<unsigned>(std::popcount(shape.class_masks_[k]));
  }
  for (std::size_t k = class_count; k-- > 0;) {
    enumeration.cards_from[k] = enumeration.cards_from[k + 1] + enumeration.class_size[k];
  }
  if (!enumeration.visit(0, static_cast<unsigned>(n))) return std::nullopt;

  Count running = 0;
  shape.cumulative_.reserve(shape.weights_.size());
  for (const Count weight : shape.weights_) {
    running = saturating_add(running, weight);
    shape.cumulative_.push_back(running);
  }
  shape.total_weight_ = running;
  return shape;
}

void Shape::draw(std::span<const CardMask> class_masks, std::span<const Count> cumulative,
                 Count total, Generator& generator, std::vector<Card>& out) const {
  assert(total > 0);
  const Count x = uniform128(generator, total);
  // The first pattern whose running sum exceeds x; patterns of weight 0 (under a reweighting)
  // add nothing to the sum and so are never chosen.
  const auto chosen = static_cast<std::size_t>(
      std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin());
  draw_pattern(class_masks, chosen, generator, out);
}

void Shape::draw(std::span<const CardMask> class_masks, std::span<const std::uint64_t> cumulative,
                 std::uint64_t total, Generator& generator, std::vector<Card>& out) const {
  assert(total > 0 && narrow());
  const std::uint64_t x = uniform128_narrow(generator, total);
  const auto chosen = static_cast<std::size_t>(
      std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin());
  draw_pattern(class_masks, chosen, generator, out);
}

CardMask Shape::draw_pattern(std::span<const CardMask> class_masks, std::size_t chosen,
                             Generator& generator, std::vector<Card>& out) const {
  assert(chosen < pattern_count());
  const std::uint8_t* counts = counts_.data() + chosen * class_masks_.size();
  if (card_picking() == CardPicking::Deposit) {
    return draw_in_classes<CardPicking::Deposit>(class_masks, counts, generator, out);
  }
  return draw_in_classes<CardPicking::Broadword>(class_masks, counts, generator, out);
}

template <CardPicking kPicking>
CardMask Shape::draw_in_classes(std::span<const CardMask> class_masks, const std::uint8_t* counts,
                                Generator& generator, std::vector<Card>& out) const {
  constexpr bool kDeposit = kPicking == CardPicking::Deposit && kCanDeposit;
  // The generator and the cards stay in locals until the end: a card is one byte, and a byte
  // store may alias anything, so storing into `out` card by card would make the compiler reload
  // the generator's state after every card.
  Generator local = generator;
  std::array<Card, kMatchingCapacity> drawn;  // a shape has at most that many slots
  Card* next = drawn.data();
  CardMask taken = 0;
  for (std::size_t k = 0; k < class_masks_.size(); ++k) {
    unsigned count = counts[k];
    if (count == 0) continue;
    // Classes hold cards 0..51 only (see build()), so every index drawn is a card.
    const CardMask whole = class_masks[k];
    assert((whole & ~cards::kFullDeck) == 0);
    CardMask mask = whole;
    // The cards left in the class fall by one per card: counted apart from the mask, so that
    // the next index does not wait for the last card to leave it.
    auto left = static_cast<std::uint32_t>(std::popcount(mask));
    for (; count != 0; --count, --left) {
      const std::uint32_t j = uniform32(local, left, kClassZones[left]);
      unsigned card;
      if constexpr (kDeposit) {
        const CardMask bit = deposit_bits(std::uint64_t{1} << j, mask);
        card = static_cast<unsigned>(__builtin_ctzll(bit));  // j < left: bit is not 0
        mask ^= bit;
      } else {
        card = nth_card(mask, j);
        mask &= ~(CardMask{1} << card);
      }
      *next++ = static_cast<Card>(card);
    }
    taken |= whole & ~mask;
  }
  generator = local;
  out.insert(out.end(), drawn.data(), next);
  return taken;
}

std::size_t Shape::footprint() const {
  return allocated(class_masks_) + allocated(weights_) + allocated(counts_) +
         allocated(cumulative_);
}

Count Shape::reweight(CardMask available, std::vector<CardMask>& class_masks,
                      std::vector<Count>& cumulative) const {
  const std::size_t class_count = class_masks_.size();
  class_masks.clear();
  cumulative.clear();
  std::array<unsigned, cards::kCardCount> size;
  for (std::size_t k = 0; k < class_count; ++k) {
    class_masks.push_back(class_masks_[k] & available);
    size[k] = static_cast<unsigned>(std::popcount(class_masks.back()));
  }
  Count running = 0;
  const std::uint8_t* counts = counts_.data();
  for (std::size_t p = 0; p < weights_.size(); ++p, counts += class_count) {
    Count weight = 1;
    for (std::size_t k = 0; k < class_count && weight != 0; ++k) {
      if (counts[k] != 0) weight = saturating_mul(weight, class_binomial(size[k], counts[k]));
    }
    running = saturating_add(running, weight);
    cumulative.push_back(running);
  }
  return running;
}

std::uint64_t Shape::narrow_sums(CardMask available, CardMask* class_masks,
                                 std::uint64_t* sums) const {
  assert(narrow());
  const std::size_t class_count = class_masks_.size();
  // Per class, the binomials C(size, c) of its size under `available`.
  std::array<const std::uint64_t*, cards::kCardCount> binomials;  // a class holds a card
  for (std::size_t k = 0; k < class_count; ++k) {
    class_masks[k] = class_masks_[k] & available;
    binomials[k] = detail::binomial_by_size_and_count[std::popcount(class_masks[k])].data();
  }
  std::uint64_t running = 0;
  const std::uint8_t* counts = counts_.data();
  for (std::size_t p = 0; p < weights_.size(); ++p, counts += class_count) {
    // Every class's factor, C(size, 0) = 1 included: a zero factor zeroes the rest, and before
    // one every partial product stays below the pattern's weight at the start, so nothing
    // passes the total at the start (see narrow()).
    std::uint64_t weight = 1;
    for (std::size_t k = 0; k < class_count; ++k) weight *= binomials[k][counts[k]];
    running += weight;
    sums[p] = running;
  }
  return running;
}

std::uint64_t Shape::reweight(CardMask available, std::vector<CardMask>& class_masks,
                              std::vector<std::uint64_t>& cumulative) const {
  class_masks.resize(class_masks_.size());
  cumulative.resize(weights_.size());
  return narrow_sums(available, class_masks.data(), cumulative.data());
}

std::uint64_t Shape::reweight_and_draw(CardMask available, Generator& generator,
                                       std::vector<std::uint64_t>& cumulative,
                                       std::vector<Card>& out, CardMask& taken) const {
  std::array<CardMask, cards::kCardCount> class_masks;
  cumulative.resize(weights_.size());
  std::uint64_t* const sums = cumulative.data();
  const std::uint64_t running = narrow_sums(available, class_masks.data(), sums);
  taken = 0;
  if (running == 0) return 0;
  const std::uint64_t x = uniform128_narrow(generator, running);
  const auto chosen =
      static_cast<std::size_t>(std::upper_bound(sums, sums + weights_.size(), x) - sums);
  taken = draw_pattern({class_masks.data(), class_masks_.size()}, chosen, generator, out);
  return running;
}

}  // namespace vantor::sampler
