#include "variants/rankings/kernels.hpp"

#include <array>
#include <bit>

#include "text/quoted.hpp"
#include "variants/omaha.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::rankings {
namespace {

struct NamedKernel {
  std::string_view name;
  Kernel kernel;
};
constexpr std::array<NamedKernel, 6> kKernelNames = {{
    {"high", Kernel::High},
    {"omaha", Kernel::Omaha},
    {"low_a5", Kernel::LowA5},
    {"badugi", Kernel::Badugi},
    {"short_deck", Kernel::ShortDeck},
    {"deuce_seven", Kernel::DeuceSeven},
}};

// Repeated cards are rare in a batch, so the rank count runs only when the card set is short.
bool has_five_of_a_rank(const cards::Card* hand, std::size_t count) {
  cards::CardMask held = 0;
  for (std::size_t i = 0; i < count; ++i) held |= cards::card_bit(hand[i]);
  if (static_cast<std::size_t>(std::popcount(held)) == count) return false;
  std::array<std::uint8_t, cards::kRankCount> per_rank{};
  for (std::size_t i = 0; i < count; ++i) {
    if (++per_rank[cards::rank_of(hand[i])] >= 5) return true;
  }
  return false;
}

template <bool kFlushes>
void score_table(const RankTables& tables, const Displacements& displacements,
                 std::span<const cards::Card> cards, std::span<const std::uint32_t> offsets,
                 std::span<std::uint32_t> values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const cards::Card* hand = cards.data() + offsets[i];
    const std::size_t count = offsets[i + 1] - offsets[i];
    values[i] = has_five_of_a_rank(hand, count)
                    ? kNoHand
                    : table_value<kFlushes>(tables, displacements, hand, count);
  }
}

template <class Score>
void score_each(std::span<const cards::Card> cards, std::span<const std::uint32_t> offsets,
                std::span<std::uint32_t> values, Score score) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = score(cards.subspan(offsets[i], offsets[i + 1] - offsets[i]));
  }
}

}  // namespace

std::string UnknownKernel::display() const { return "no kernel called " + text::quoted(name); }

Expected<Kernel, UnknownKernel> find_kernel(std::string_view name) {
  for (const NamedKernel& named : kKernelNames) {
    if (named.name == name) return named.kernel;
  }
  return fail(UnknownKernel{std::string(name)});
}

void score_hands(Kernel kernel, std::span<const cards::Card> cards,
                 std::span<const std::uint32_t> offsets, std::span<std::uint32_t> values) {
  const FastTables& tables = fast_tables();
  const Displacements& d = tables.displacement_by_bucket;
  switch (kernel) {
    case Kernel::High:
      return score_table<true>(tables.high, d, cards, offsets, values);
    case Kernel::ShortDeck:
      return score_table<true>(tables.short_deck, d, cards, offsets, values);
    case Kernel::LowA5:
      return score_table<false>(tables.low_a5, d, cards, offsets, values);
    case Kernel::DeuceSeven:
      return score_table<true>(tables.deuce_seven, d, cards, offsets, values);
    case Kernel::Badugi:
      return score_each(cards, offsets, values, badugi);
    case Kernel::Omaha:
      return score_each(cards, offsets, values, [](std::span<const cards::Card> hand) {
        return has_five_of_a_rank(hand.data(), hand.size()) ? kNoHand32 : omaha::omaha(hand);
      });
  }
}

}  // namespace vantor::rankings
