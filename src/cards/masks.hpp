#pragma once

// Facts about lists of cards and lists of card slots that several layers need: the set a list of
// cards makes, the cards a list of slots names outright, and the cards a seat certainly holds.

#include <bit>
#include <span>
#include <vector>

#include "cards/card.hpp"

namespace vantor::cards {

// One alternative of a seat: one slot mask per card the seat holds.
using Alternative = std::vector<CardMask>;
// A seat: its whole alternatives, in order; the seat holds exactly one of them.
using SeatAlternatives = std::vector<Alternative>;

// The set of a list of cards (indices 0..51).
inline CardMask mask_of(std::span<const Card> hand) {
  CardMask mask = 0;
  for (const Card card : hand) mask |= card_bit(card);
  return mask;
}

// The cards a list of slots names outright: the union of its one-card masks.
inline CardMask named_cards(std::span<const CardMask> slots) {
  CardMask named = 0;
  for (const CardMask slot : slots) {
    if (std::popcount(slot) == 1) named |= slot;
  }
  return named;
}

// The cards a seat holds whichever alternative it has: those every alternative names outright.
// None for a seat without alternatives.
inline CardMask certainly_named(const SeatAlternatives& seat) {
  if (seat.empty()) return 0;
  CardMask common = ~CardMask{0};
  for (const Alternative& alternative : seat) common &= named_cards(alternative);
  return common;
}

// Keeps only the low 52 bits of every mask of a request in mask form: bits above card 51 name no
// card, and cutting them at the door keeps an index above 51 out of every table and message.
inline void cut_to_deck(std::span<SeatAlternatives> seats, std::span<CardMask> board,
                        CardMask& dead) {
  for (SeatAlternatives& seat : seats) {
    for (Alternative& alternative : seat) {
      for (CardMask& mask : alternative) mask &= kFullDeck;
    }
  }
  for (CardMask& mask : board) mask &= kFullDeck;
  dead &= kFullDeck;
}

}  // namespace vantor::cards
