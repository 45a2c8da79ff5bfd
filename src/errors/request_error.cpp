#include "errors/request_error.hpp"

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
    case Kind::SamplerGaveUp: {
      const std::string head = "gave up after " + to_string(draws) + " draws, of which only " +
                               to_string(used) + " could be used. ";
      if (settled) {
        return head +
               "The request is satisfiable -- that was settled before any card was dealt -- but "
               "the seats want the same cards too often for sampling to keep up, so this is a "
               "limit of the engine rather than of the question. Naming more of the cards is what "
               "loosens it";
      }
      return head +
             "Whether any deal satisfies the request was not settled before the cards were dealt "
             "(the search for one ran out of its budget), so either none does or the seats want "
             "the same cards too often for sampling to keep up. Naming more of the cards is what "
             "loosens it";
    }
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
    case Kind::TooManyAlternatives:
      return (in_all ? "the seats have more than the " + to_string(most) +
                           " alternatives a request may have in all"
                     : "a seat has more than the " + to_string(most) +
                           " alternatives one seat may have") +
             "; write fewer, leaving open the cards that need not be named (a rank, a suit or "
             "any card)";
    case Kind::TooLargeToPrepare:
      return "the seats' alternatives would take more than " + to_string(most) +
             " MB to prepare for dealing. An alternative that holds cards to a rank or a suit "
             "without naming them (\"hdcs\" in badugi) is prepared as the list of hands it allows, "
             "which can take megabytes; write fewer such alternatives, or name more of their "
             "cards";
  }
  return "unknown request error";
}

}  // namespace vantor::odds
