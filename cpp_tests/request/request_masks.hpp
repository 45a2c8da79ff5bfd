#pragma once

// Requests written out as masks for the exact walk's tests: cards by name, whole ranks and suits,
// and the hands of a range (suited, pairs, offsuit) as one alternative each.

#include <initializer_list>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "request/prepared_request.hpp"
#include "sampler/deal_plan.hpp"
#include "variants/equity.hpp"

namespace vantor::odds::testing {

using cards::Card;
using cards::CardMask;
using Seat = std::vector<std::vector<CardMask>>;

inline constexpr CardMask kAll = cards::kFullDeck;

inline CardMask card(std::string_view name) { return cards::card_bit(*cards::card_index(name)); }
inline CardMask rank(int r) { return CardMask{0xF} << (4 * r); }

inline CardMask suit(int s) {
  CardMask mask = 0;
  for (int r = 0; r < 13; ++r) mask |= cards::card_bit(static_cast<Card>(4 * r + s));
  return mask;
}

inline std::vector<CardMask> hand(std::string_view text) {
  std::vector<CardMask> masks;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) masks.push_back(card(text.substr(i, 2)));
  return masks;
}

// Every hand of two named ranks: suited (one alternative per suit), a pair (one per pair of
// suits) or offsuit (one per pair of different suits).
inline Seat suited(int high, int low) {
  Seat seat;
  for (int s = 0; s < 4; ++s) {
    seat.push_back({cards::card_bit(static_cast<Card>(4 * high + s)),
                    cards::card_bit(static_cast<Card>(4 * low + s))});
  }
  return seat;
}

inline Seat pair(int r) {
  Seat seat;
  for (int a = 0; a < 4; ++a) {
    for (int b = a + 1; b < 4; ++b) {
      seat.push_back({cards::card_bit(static_cast<Card>(4 * r + a)),
                      cards::card_bit(static_cast<Card>(4 * r + b))});
    }
  }
  return seat;
}

inline Seat offsuit(int high, int low) {
  Seat seat;
  for (int a = 0; a < 4; ++a) {
    for (int b = 0; b < 4; ++b) {
      if (a != b) {
        seat.push_back({cards::card_bit(static_cast<Card>(4 * high + a)),
                        cards::card_bit(static_cast<Card>(4 * low + b))});
      }
    }
  }
  return seat;
}

inline Seat joined(Seat a, const Seat& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Slots of whole ranks: every renaming of suits keeps them.
inline std::vector<CardMask> ranks(std::initializer_list<int> list) {
  std::vector<CardMask> masks;
  for (const int r : list) masks.push_back(rank(r));
  return masks;
}

// Every card of ranks lo..hi.
inline CardMask rank_span(int lo, int hi) {
  CardMask mask = 0;
  for (int r = lo; r <= hi; ++r) mask |= rank(r);
  return mask;
}

// Every alternative of `seat` with `more` slots after its own.
inline Seat with(Seat seat, const std::vector<CardMask>& more) {
  for (auto& alternative : seat) alternative.insert(alternative.end(), more.begin(), more.end());
  return seat;
}

inline const CardMask kClubs = suit(0), kHearts = suit(2);
inline const CardMask kAces = rank(12), kKings = rank(11), kFives = rank(3);

// The request of `seats` (each alternative completed with wildcards to `hole` cards) and `board`
// (completed to `board_size`) in `game_name`, with `dead` out of the deck.
inline PreparedRequest prepared(const char* game_name, std::vector<Seat> seats,
                                std::vector<CardMask> board, std::size_t hole,
                                std::size_t board_size, CardMask dead = 0) {
  const auto& game = **variants::find_variant(game_name);
  PreparedRequest r;
  r.seats = std::move(seats);
  for (auto& seat : r.seats) {
    for (auto& alternative : seat) alternative.resize(hole, kAll);
  }
  r.board = std::move(board);
  r.board.resize(board_size, kAll);
  r.deal = sampler::plan_deal(r.seats, r.board, game.deck & ~dead);
  r.game = &game;
  return r;
}

}  // namespace vantor::odds::testing
