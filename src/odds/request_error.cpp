#include "odds/request_error.hpp"

namespace vantor::odds {

std::string RequestError::display() const {
  using std::to_string;
  switch (kind) {
    case Kind::TooFewSeats:
      return "a spot needs at least two seats to have an answer";
    case Kind::WrongHandSize:
      return "Not enough cards in hand: " + to_string(size);
    case Kind::UnevenHands:
      return "Starting hands with different sizes";
    case Kind::BoardSize:
      return "Invalid number of community cards: " + to_string(size);
    case Kind::BoardSpot:
      return "this game turns " + to_string(face_up) + " board card" + (face_up == 1 ? "" : "s") +
             " face up before the betting, so a board of " + to_string(size) +
             " is not a spot that occurs; write `*` for a card that has been dealt and not yet "
             "seen";
    case Kind::SamplerGaveUp:
      return "gave up after " + to_string(draws) + " draws, of which only " + to_string(used) +
             " could be used. The request is satisfiable -- that was settled before any card was "
             "dealt -- but the seats want the same cards too often for sampling to keep up, so "
             "this is a limit of the engine rather than of the question. Naming more of the "
             "cards is what loosens it";
    case Kind::TooManySeats:
      return to_string(seats) + " players is more than this game can deal; the deck seats " +
             to_string(most_seats);
    case Kind::Unsatisfiable:
      return std::string("No deal can satisfy ") +
             (unsatisfied == Unsatisfied::Hand ? "a hand"
                                               : "the hands, board and dead cards together");
    case Kind::CardTwice:
      return "Found duplicated card: " + std::string(cards::card_text(card));
    case Kind::OutsideDeck:
      return std::string(cards::card_text(card)) + " is not in this game's deck";
  }
  return "unknown request error";
}

}  // namespace vantor::odds
