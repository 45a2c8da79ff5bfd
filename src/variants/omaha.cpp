#include "variants/omaha.hpp"

#include <algorithm>
#include <bit>

namespace vantor::omaha {
namespace {

// Suits on a random board are coin flips to the branch predictor, so the common suit is computed
// with arithmetic rather than chosen with a branch.
inline std::uint8_t common_suit(unsigned same_suit, std::uint8_t suit) {
  return static_cast<std::uint8_t>(kNoCommonSuit - same_suit * (kNoCommonSuit - suit));
}

// The per-card facts a group is made of, read once per card rather than once per group.
struct CardFacts {
  std::array<std::uint16_t, 6> rank_bit;
  std::array<std::uint8_t, 6> rank;
  std::array<std::uint8_t, 6> suit;

  CardFacts(std::span<const cards::Card> cards, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      rank[i] = cards::rank_of(cards[i]);
      suit[i] = cards::suit_of(cards[i]);
      rank_bit[i] = static_cast<std::uint16_t>(1u << rank[i]);
    }
  }
};

// The card count is a template parameter so that the loops unroll into straight-line code for
// the counts that games deal; the dispatch happens once per list. Counting in a local keeps the
// compiler from re-reading a byte-sized member after every store, which might alias anything.
// A pair is one read of its class; what the flush step needs is kept per suit, not per pair.
template <std::size_t n>
void pairs_of(std::span<const cards::Card> hole, HolePairs& out, const OmahaTables& tables) {
  std::array<unsigned, 6> rank{};
  std::array<std::uint16_t, 4> suit_ranks{};
  unsigned seen = 0, suited = 0;
  for (std::size_t i = 0; i < n; ++i) {
    rank[i] = cards::rank_of(hole[i]);
    const unsigned suit = cards::suit_of(hole[i]);
    suited |= seen & (1u << suit);
    seen |= 1u << suit;
    suit_ranks[suit] = static_cast<std::uint16_t>(suit_ranks[suit] | 1u << rank[i]);
  }
  std::uint8_t count = 0;
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = a + 1; b < n; ++b)
      out.rank_class[count++] = tables.pair_class_by_ranks[rank[a] * 13u + rank[b]];
  }
  out.count = count;
  out.suit_ranks = suit_ranks;
  out.suited_suits = static_cast<std::uint8_t>(suited);
}

// Calls f(pair) for the rank bits of every two cards of `ranks` (one bit per card).
template <class F>
inline void for_each_two(unsigned ranks, F&& f) {
  for (unsigned first = ranks; first; first &= first - 1) {
    const unsigned low = first & (0u - first);
    for (unsigned second = first & (first - 1); second; second &= second - 1)
      f(low | (second & (0u - second)));
  }
}

template <std::size_t n>
void triples_of(std::span<const cards::Card> board, BoardTriples& out, const OmahaTables& tables) {
  const CardFacts f(board, n);
  std::uint8_t count = 0;
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = a + 1; b < n; ++b) {
      for (std::size_t c = b + 1; c < n; ++c) {
        const unsigned same_suit = (f.suit[a] == f.suit[b]) & (f.suit[a] == f.suit[c]);
        out.items[count++] = {
            tables.triple_class_by_ranks[(f.rank[a] * 13u + f.rank[b]) * 13u + f.rank[c]],
            static_cast<std::uint16_t>(f.rank_bit[a] | f.rank_bit[b] | f.rank_bit[c]),
            common_suit(same_suit, f.suit[a])};
      }
    }
  }
  out.count = count;
  out.board_row = kNoBoardRow;
  out.board_class = kNoBoardClass;
  out.flush_suit = kNoFlushSuit;
  out.flush_ranks = 0;
}

// A whole board: one class for its ranks, and at most one suit with three cards or more. Found
// without branches: about two boards in five have such a suit, which no predictor guesses.
void five_card_board(std::span<const cards::Card> board, BoardTriples& out,
                     const OmahaTables& tables) {
  std::uint64_t code = 0;
  for (std::size_t i = 0; i < 5; ++i) code += rankings::kCardCode[board[i]];
  const auto key = static_cast<std::uint32_t>(code);
  const std::uint16_t board_class =
      tables.board_class_by_slot[rankings::slot(key, tables.ranks->displacement_by_bucket.data())];
  out.count = kMaxBoardTriples;
  out.board_row = board_class * static_cast<std::uint32_t>(kPairClasses);
  out.board_class = board_class;
  // Adding 5 to a suit counter sets its top bit exactly when the suit holds three or more.
  const std::uint64_t three_or_more =
      (code + (std::uint64_t{0x5555} << 32)) & (std::uint64_t{0x8888} << 32);
  // With no such suit the scan of zero gives 64 and a nonsense suit, which the selects discard.
  const int suit = (std::countr_zero(three_or_more) - 35) >> 2;
  out.flush_suit = three_or_more ? static_cast<std::uint8_t>(suit) : kNoFlushSuit;
  out.flush_ranks =
      three_or_more ? static_cast<std::uint16_t>(rankings::suit_ranks(board.data(), 5, suit & 3))
                    : 0;
}

// The best flush of a hand with a five-card board, kNoHand32 if none: every two of the hole
// cards in the board's flush suit with every three of the board's (rare: it takes a pair of
// hole cards in the one suit where the board holds three or more).
std::uint32_t whole_board_flush(const HolePairs& pairs, const BoardTriples& triples,
                                const std::uint16_t* flush_value_by_suit_mask) {
  std::uint32_t best = rankings::kNoHand32;
  if (triples.flush_suit >= 4) return best;
  const unsigned ranks = triples.flush_ranks;
  for_each_two(pairs.suit_ranks[triples.flush_suit], [&](unsigned two) {
    for (unsigned three = ranks; three; three = (three - 1) & ranks) {
      if (std::popcount(three) != 3) continue;
      best = std::min<std::uint32_t>(best, flush_value_by_suit_mask[two | three]);
    }
  });
  return best;
}

template <bool kFlushes>
std::uint32_t best_of(const HolePairs& pairs, const BoardTriples& triples,
                      const std::vector<std::uint16_t>& value_by_board,
                      const std::vector<std::uint16_t>& value_by_classes,
                      const std::uint16_t* flush_value_by_suit_mask) {
  if (pairs.count == 0 || triples.count == 0) return rankings::kNoHand32;
  std::uint32_t best = rankings::kNoHand32;
  const bool whole_board = triples.board_row != kNoBoardRow;
  if (whole_board) {
    const std::uint16_t* row = value_by_board.data() + triples.board_row;
    for (std::size_t p = 0; p < pairs.count; ++p) {
      best = std::min<std::uint32_t>(best, row[pairs.rank_class[p]]);
    }
  } else {
    for (std::size_t p = 0; p < pairs.count; ++p) {
      const std::uint16_t* row = value_by_classes.data() + pairs.rank_class[p] * kTripleClasses;
      for (std::size_t t = 0; t < triples.count; ++t) {
        best = std::min<std::uint32_t>(best, row[triples.items[t].rank_class]);
      }
    }
  }
  // A flush's five ranks are all different, so its flush-table entry beats the value-table entry
  // of the same ranks; taking the minimum over both is the same as using the flush entry alone.
  if constexpr (kFlushes) {
    if (whole_board) {
      best = std::min(best, whole_board_flush(pairs, triples, flush_value_by_suit_mask));
    } else {
      for (std::size_t t = 0; t < triples.count; ++t) {
        const CardGroup& triple = triples.items[t];
        if (triple.common_suit == kNoCommonSuit) continue;
        for_each_two(pairs.suit_ranks[triple.common_suit], [&](unsigned two) {
          best = std::min<std::uint32_t>(best, flush_value_by_suit_mask[two | triple.rank_bits]);
        });
      }
    }
  }
  return best;
}

}  // namespace

std::uint32_t detail::with_board_flushes(const HolePairs& pairs, const BoardTriples& triples,
                                         std::uint32_t best, const OmahaTables& tables) {
  return std::min(
      best, whole_board_flush(pairs, triples, tables.ranks->high.flush_value_by_suit_mask.data()));
}

void prepare_hole_pairs(std::span<const cards::Card> hole, HolePairs& out,
                        const OmahaTables& tables) {
  switch (std::min<std::size_t>(hole.size(), 6)) {
    case 6:
      return pairs_of<6>(hole, out, tables);
    case 5:
      return pairs_of<5>(hole, out, tables);
    case 4:
      return pairs_of<4>(hole, out, tables);
    case 3:
      return pairs_of<3>(hole, out, tables);
    case 2:
      return pairs_of<2>(hole, out, tables);
    default:
      out.count = 0;
      out.suit_ranks = {};
      out.suited_suits = 0;
  }
}

void prepare_board_triples(std::span<const cards::Card> board, BoardTriples& out,
                           const OmahaTables& tables) {
  switch (std::min<std::size_t>(board.size(), 5)) {
    case 5:
      return five_card_board(board, out, tables);
    case 4:
      return triples_of<4>(board, out, tables);
    case 3:
      return triples_of<3>(board, out, tables);
    default:
      return triples_of<0>(board, out, tables);
  }
}

std::uint32_t best_high(const HolePairs& pairs, const BoardTriples& triples,
                        const OmahaTables& tables) {
  return best_of<true>(pairs, triples, tables.high_by_board, tables.high_by_classes,
                       tables.ranks->high.flush_value_by_suit_mask.data());
}

std::uint32_t best_low(const HolePairs& pairs, const BoardTriples& triples,
                       const OmahaTables& tables) {
  return best_of<false>(pairs, triples, tables.low_by_board, tables.low_by_classes, nullptr);
}

std::uint32_t omaha(std::span<const cards::Card> cards) {
  const std::size_t hole_count = std::min<std::size_t>(cards.size(), 4);
  const auto hole = cards.first(hole_count);
  const auto board = cards.subspan(hole_count);
  // More than five board cards is no Omaha deal; it is refused rather than silently cut.
  if (hole.size() < 2 || board.size() < 3 || board.size() > 5) return rankings::kNoHand32;
  const OmahaTables& tables = omaha_tables();
  HolePairs pairs;
  BoardTriples triples;
  prepare_hole_pairs(hole, pairs, tables);
  prepare_board_triples(board, triples, tables);
  return best_high(pairs, triples, tables);
}

}  // namespace vantor::omaha
