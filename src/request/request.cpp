#include "request/request.hpp"

#include <bit>
#include <optional>
#include <utility>

#include "notation/parser.hpp"
#include "request/feasibility.hpp"

namespace vantor::odds {

using cards::Card;
using cards::CardMask;
using cards::certainly_named;
using cards::named_cards;

namespace {

using Seats = std::vector<SeatAlternatives>;
using Unsatisfied = RequestError::Unsatisfied;

Card lowest_card(CardMask mask) { return static_cast<Card>(std::countr_zero(mask)); }

// The number of masks every alternative of the seat has, if they agree.
std::optional<std::size_t> uniform_size(const SeatAlternatives& seat) {
  if (seat.empty()) return std::nullopt;
  for (const auto& alternative : seat) {
    if (alternative.size() != seat.front().size()) return std::nullopt;
  }
  return seat.front().size();
}

// A stud hand is what the seat shows, and every seat has been dealt the same rounds.
std::optional<RequestError> check_shown_cards(const Seats& seats) {
  const std::optional<std::size_t> shown = uniform_size(seats.front());
  for (const SeatAlternatives& seat : seats) {
    if (uniform_size(seat) != shown) return RequestError::uneven_hands();
  }
  // Two down cards and the first up card come together, so fewer than three is no stud spot.
  if (shown && *shown <= 2) return RequestError::wrong_hand_size(*shown);
  return std::nullopt;
}

// A hand of the dealt size stays as it is; a shorter one, where the game completes short hands,
// gets wildcards for the cards still to come.
std::optional<RequestError> complete_hand(SeatAlternatives& seat, std::size_t hole_cards,
                                          bool completes_short) {
  const std::optional<std::size_t> size = uniform_size(seat);
  if (!size) return RequestError::uneven_hands();
  if (*size == hole_cards) return std::nullopt;
  if (*size > hole_cards || !completes_short) return RequestError::wrong_hand_size(*size);
  for (auto& alternative : seat) alternative.resize(hole_cards, cards::kFullDeck);
  return std::nullopt;
}

std::optional<RequestError> check_alternative_counts(const Seats& seats) {
  std::size_t total = 0;
  for (const SeatAlternatives& seat : seats) {
    if (seat.size() > notation::kMostFieldAlternatives) {
      return RequestError::too_many_alternatives(notation::kMostFieldAlternatives, false);
    }
    total += seat.size();
  }
  if (total > kMostAlternatives)
    return RequestError::too_many_alternatives(kMostAlternatives, true);
  return std::nullopt;
}

bool has_possible_alternative(const SeatAlternatives& seat) {
  for (const auto& alternative : seat) {
    bool every_mask_has_a_card = !alternative.empty();
    for (const CardMask mask : alternative) every_mask_has_a_card &= mask != 0;
    if (every_mask_has_a_card) return true;
  }
  return false;
}

std::optional<RequestError> check_board_count(std::size_t given, std::size_t most,
                                              std::size_t least) {
  if (given > most) return RequestError::board_size(given);
  if (given < least) return RequestError::board_spot(least, given);
  return std::nullopt;
}

// Razz ranks hands by rank alone, so a mask that allows exactly the four cards of one rank can be
// pinned to one free card of that rank: the lowest live card not named anywhere, which is then
// taken. That turns four-way choices into fixed cards for the samplers and the exact walk. Only
// done when every seat has one alternative (several would make "free" depend on which one is
// held); when some such mask finds no free card, nothing is pinned at all. Returns the pinned
// masks, or nothing when none was pinned.
struct PinnedMasks {
  Seats seats;
  std::vector<CardMask> board;
};

std::optional<PinnedMasks> pin_ranks(const Seats& seats, const std::vector<CardMask>& board,
                                     CardMask live) {
  for (const SeatAlternatives& seat : seats) {
    if (seat.size() != 1) return std::nullopt;
  }
  CardMask taken = named_cards(board);
  for (const SeatAlternatives& seat : seats) taken |= named_cards(seat.front());

  PinnedMasks pinned{seats, board};
  const auto pin = [&](CardMask& mask) {
    for (cards::Rank rank = 0; rank < cards::kRankCount; ++rank) {
      if (mask != cards::rank_mask(rank)) continue;
      const CardMask free = mask & live & ~taken;
      if (free == 0) return false;
      mask = free & -free;
      taken |= mask;
      return true;
    }
    return true;
  };
  for (SeatAlternatives& seat : pinned.seats) {
    for (CardMask& mask : seat.front()) {
      if (!pin(mask)) return std::nullopt;
    }
  }
  for (CardMask& mask : pinned.board) {
    if (!pin(mask)) return std::nullopt;
  }
  if (pinned.seats == seats && pinned.board == board) return std::nullopt;
  return pinned;
}

// Named cards: what each seat certainly holds, then what the board names, must not overlap; the
// lowest shared card is reported. Then none of them may be dead, or outside a smaller deck.
std::optional<RequestError> check_named_cards(const Seats& seats,
                                              const std::vector<CardMask>& board, CardMask live,
                                              CardMask deck) {
  CardMask named = 0;
  const auto add = [&](CardMask cards) -> std::optional<RequestError> {
    if (const CardMask shared = cards & named; shared != 0) {
      return RequestError::card_twice(lowest_card(shared));
    }
    named |= cards;
    return std::nullopt;
  };
  for (const SeatAlternatives& seat : seats) {
    if (auto error = add(certainly_named(seat))) return error;
  }
  if (auto error = add(named_cards(board))) return error;

  if (const CardMask unavailable = named & ~live; unavailable != 0) {
    const Card card = lowest_card(unavailable);
    if ((deck & cards::card_bit(card)) == 0) return RequestError::outside_deck(card);
    return RequestError::card_twice(card);
  }
  return std::nullopt;
}

// Seats of one alternative each, and a board, whose every mask names one card or allows every
// live card: with the named cards distinct and live, a deal exists exactly when the wildcards
// find enough live cards nobody names. Settled so, the common named spot skips the search (which
// took a tenth of a small exact call). Nothing for any other request.
std::optional<Dealability> plain_dealability(const Seats& seats, const std::vector<CardMask>& board,
                                             CardMask live) {
  CardMask named = 0;
  std::size_t wildcards = 0;
  const auto take = [&](CardMask mask) {
    if (std::has_single_bit(mask) && (mask & live & ~named) != 0) {
      named |= mask;
      return true;
    }
    wildcards += (mask & live) == live;
    return (mask & live) == live;
  };
  for (const SeatAlternatives& seat : seats) {
    if (seat.size() != 1) return std::nullopt;
    for (const CardMask mask : seat.front()) {
      if (!take(mask)) return std::nullopt;
    }
  }
  for (const CardMask mask : board) {
    if (!take(mask)) return std::nullopt;
  }
  return wildcards <= static_cast<std::size_t>(std::popcount(live & ~named)) ? Dealability::Dealable
                                                                             : Dealability::NoDeal;
}

Dealability dealability(const Seats& seats, const std::vector<CardMask>& board, CardMask live) {
  if (const auto settled = plain_dealability(seats, board, live)) return *settled;
  if (!slots_can_be_filled(seats, board, live)) return Dealability::NoDeal;
  // An undecided search (a request built to defeat it) keeps the slot-by-slot verdict.
  return find_deal(seats, board, live);
}

}  // namespace

Expected<PreparedRequest, EngineError> build_request(const variants::Variant& game, Seats seats,
                                                     std::vector<CardMask> board, CardMask dead) {
  cards::cut_to_deck(seats, board, dead);

  if (seats.size() < 2) return fail(RequestError::too_few_seats());
  if (seats.size() > game.max_seats) {
    return fail(RequestError::too_many_seats(seats.size(), game.max_seats));
  }
  if (auto error = check_alternative_counts(seats)) return fail(*error);
  const variants::Dealing dealing = game.dealing(seats.size());

  if (game.shows_every_card) {
    if (auto error = check_shown_cards(seats)) return fail(*error);
  }
  for (SeatAlternatives& seat : seats) {
    if (auto error = complete_hand(seat, dealing.hole_cards, game.completes_short)) {
      return fail(*error);
    }
  }
  for (const SeatAlternatives& seat : seats) {
    if (!has_possible_alternative(seat)) {
      return fail(RequestError::unsatisfiable(Unsatisfied::Hand));
    }
  }
  if (auto error = check_board_count(board.size(), dealing.board_cards, game.least_board)) {
    return fail(*error);
  }
  if (const CardMask outside = dead & ~game.deck; outside != 0) {
    return fail(RequestError::outside_deck(lowest_card(outside)));
  }
  const CardMask live = game.deck & ~dead;
  board.resize(dealing.board_cards, cards::kFullDeck);

  std::optional<PinnedMasks> pinned;
  if (game.pins_ranks) pinned = pin_ranks(seats, board, live);
  const Seats& checked_seats = pinned ? pinned->seats : seats;
  const std::vector<CardMask>& checked_board = pinned ? pinned->board : board;

  // Pinning only names cards nobody named, from live ones, so it cannot change this check.
  if (auto error = check_named_cards(checked_seats, checked_board, live, game.deck)) {
    return fail(*error);
  }
  Dealability verdict = dealability(checked_seats, checked_board, live);
  if (verdict == Dealability::NoDeal) {
    // A pinned card can be one another seat's suit needed (razz with "7******" against thirteen
    // clubs written out): the question itself is still answerable, so it is asked unpinned.
    if (pinned) verdict = dealability(seats, board, live);
    if (verdict == Dealability::NoDeal) {
      return fail(RequestError::unsatisfiable(Unsatisfied::Together));
    }
    pinned.reset();
  }
  if (pinned) {
    seats = std::move(pinned->seats);
    board = std::move(pinned->board);
  }

  PreparedRequest request;
  request.game = &game;
  request.seats = std::move(seats);
  request.board = std::move(board);
  auto deal = sampler::plan_deal_within(request.seats, request.board, live, kMostPreparedBytes);
  if (!deal) return fail(RequestError::too_large_to_prepare(kMostPreparedBytes >> 20));
  request.deal = std::move(*deal);
  request.known_dealable = verdict == Dealability::Dealable;
  return request;
}

Expected<PreparedRequest, EngineError> build_request_from_text(const variants::Variant& game,
                                                               std::span<const std::string> hands,
                                                               std::string_view board,
                                                               std::string_view dead) {
  // The readers and the mask builder take their sizes from the same row, stud's eight-seat deal
  // included.
  const variants::Dealing dealing = game.dealing(hands.size());
  Seats seats;
  seats.reserve(hands.size());
  std::size_t total = 0;
  for (const std::string& hand : hands) {
    auto alternatives = notation::parse_hand_field(hand, dealing.hole_cards, game.completes_short);
    if (!alternatives) return fail(std::move(alternatives).error());
    total += alternatives->size();
    if (total > kMostAlternatives) {
      return fail(RequestError::too_many_alternatives(kMostAlternatives, true));
    }
    seats.push_back(std::move(*alternatives));
  }
  auto board_masks = notation::read_board_field(board, dealing.board_cards);
  if (!board_masks) return fail(std::move(board_masks).error());
  const auto dead_mask = notation::read_dead_field(dead);
  if (!dead_mask) return fail(dead_mask.error());
  return build_request(game, std::move(seats), std::move(*board_masks), *dead_mask);
}

}  // namespace vantor::odds
