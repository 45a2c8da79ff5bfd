#pragma once

// RequestError: why an equity question was refused before any card was dealt, or why sampling
// could not keep up with it. Data only; display() holds every wording.

#include <cstdint>
#include <string>

#include "cards/card.hpp"

namespace vantor::odds {

struct RequestError {
  enum class Kind : std::uint8_t {
    TooFewSeats,    // "a spot needs at least two seats to have an answer"
    WrongHandSize,  // "Not enough cards in hand: {size}" (also for too many cards)
    UnevenHands,    // "Starting hands with different sizes"
    BoardSize,      // "Invalid number of community cards: {size}"
    BoardSpot,      // "this game turns {face_up} board card(s) face up ..., so a board of {size}"
    SamplerGaveUp,  // "gave up after {draws} draws, of which only {used} could be used. ..."
                    // (two wordings: whether any deal exists was settled, or left undecided)
    TooManySeats,   // "{seats} players is more than this game can deal; the deck seats {most}"
    Unsatisfiable,  // "No deal can satisfy a hand" / "... the hands, board and dead cards together"
    CardTwice,      // "Found duplicated card: {card}"
    OutsideDeck,    // "{card} is not in this game's deck"
    TooManyAlternatives,  // "a seat has more than the {most} alternatives ..." (or "in all")
    TooLargeToPrepare,    // "the seats' alternatives would take more than {most} MB ..."
  };

  // What an unsatisfiable request could not satisfy: one seat on its own, or everything at once.
  enum class Unsatisfied : std::uint8_t { Hand, Together };

  Kind kind;
  std::uint64_t size = 0;        // WrongHandSize: masks per alternative; BoardSize, BoardSpot:
                                 // board masks given
  std::uint64_t face_up = 0;     // BoardSpot: board cards the game shows before the betting
  std::uint64_t seats = 0;       // TooManySeats
  std::uint64_t most_seats = 0;  // TooManySeats
  std::uint64_t draws = 0;       // SamplerGaveUp: attempts made
  std::uint64_t used = 0;        // SamplerGaveUp: attempts that gave a deal
  bool settled = true;           // SamplerGaveUp: a deal was known to exist before sampling
  cards::Card card = 0;          // CardTwice, OutsideDeck (0..51)
  Unsatisfied unsatisfied = Unsatisfied::Hand;
  std::uint64_t most = 0;  // TooManyAlternatives: the limit; TooLargeToPrepare: in MB
  bool in_all = false;     // TooManyAlternatives: over all seats rather than one

  static RequestError too_few_seats() { return {Kind::TooFewSeats}; }
  static RequestError wrong_hand_size(std::uint64_t size) {
    RequestError error{Kind::WrongHandSize};
    error.size = size;
    return error;
  }
  static RequestError uneven_hands() { return {Kind::UnevenHands}; }
  static RequestError board_size(std::uint64_t given) {
    RequestError error{Kind::BoardSize};
    error.size = given;
    return error;
  }
  static RequestError board_spot(std::uint64_t face_up, std::uint64_t given) {
    RequestError error{Kind::BoardSpot};
    error.face_up = face_up;
    error.size = given;
    return error;
  }
  // `settled`: whether the request was known to be satisfiable when it was built (the search for
  // a deal may run out of its budget undecided, and such a request is let through).
  static RequestError sampler_gave_up(std::uint64_t draws, std::uint64_t used, bool settled) {
    RequestError error{Kind::SamplerGaveUp};
    error.draws = draws;
    error.used = used;
    error.settled = settled;
    return error;
  }
  static RequestError too_many_seats(std::uint64_t seats, std::uint64_t most_seats) {
    RequestError error{Kind::TooManySeats};
    error.seats = seats;
    error.most_seats = most_seats;
    return error;
  }
  static RequestError unsatisfiable(Unsatisfied what) {
    RequestError error{Kind::Unsatisfiable};
    error.unsatisfied = what;
    return error;
  }
  static RequestError card_twice(cards::Card card) {
    RequestError error{Kind::CardTwice};
    error.card = card;
    return error;
  }
  static RequestError outside_deck(cards::Card card) {
    RequestError error{Kind::OutsideDeck};
    error.card = card;
    return error;
  }
  static RequestError too_many_alternatives(std::uint64_t most, bool in_all) {
    RequestError error{Kind::TooManyAlternatives};
    error.most = most;
    error.in_all = in_all;
    return error;
  }
  static RequestError too_large_to_prepare(std::uint64_t most_megabytes) {
    RequestError error{Kind::TooLargeToPrepare};
    error.most = most_megabytes;
    return error;
  }

  // The whole message, as ValueError carries it.
  std::string display() const;

  friend bool operator==(const RequestError&, const RequestError&) = default;
};

}  // namespace vantor::odds
