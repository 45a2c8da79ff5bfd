#include "exact/suit_symmetry.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <utility>

#include "cards/masks.hpp"

namespace vantor::odds {

using cards::CardMask;

namespace {

// Every order of the four suits but the identity, in lexicographic order.
constexpr std::array<SuitRenaming, kMostRenamings> kRenamings = [] {
  std::array<SuitRenaming, kMostRenamings> renamings{};
  std::size_t n = 0;
  for (std::uint8_t a = 0; a < 4; ++a) {
    for (std::uint8_t b = 0; b < 4; ++b) {
      for (std::uint8_t c = 0; c < 4; ++c) {
        const auto d = static_cast<std::uint8_t>(6 - a - b - c);
        if (a == b || a == c || b == c || d > 3 || d == a || d == b || d == c) continue;
        if (a == 0 && b == 1 && c == 2) continue;  // the identity
        renamings[n++].to = {a, b, c, d};
      }
    }
  }
  return renamings;
}();

// A list of slots in a fixed order, so that two lists naming the same slots compare equal.
std::vector<CardMask> sorted_slots(std::span<const CardMask> slots, const SuitRenaming* renaming) {
  std::vector<CardMask> sorted(slots.begin(), slots.end());
  if (renaming) {
    for (CardMask& slot : sorted) slot = rename_suits(slot, *renaming);
  }
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

// A seat's alternatives as a sorted list of sorted slot lists.
std::vector<std::vector<CardMask>> seat_form(const cards::SeatAlternatives& seat,
                                             const SuitRenaming* renaming) {
  std::vector<std::vector<CardMask>> form;
  form.reserve(seat.size());
  for (const cards::Alternative& alternative : seat) {
    form.push_back(sorted_slots(alternative, renaming));
  }
  std::sort(form.begin(), form.end());
  return form;
}

bool keeps(const PreparedRequest& request, const SuitRenaming& renaming,
           const std::vector<std::vector<std::vector<CardMask>>>& seats,
           const std::vector<CardMask>& board) {
  if (sorted_slots(request.board, &renaming) != board) return false;
  for (std::size_t seat = 0; seat < request.seats.size(); ++seat) {
    if (seat_form(request.seats[seat], &renaming) != seats[seat]) return false;
  }
  return true;
}

}  // namespace

std::vector<SuitRenaming> request_symmetries(const PreparedRequest& request) {
  // A renaming that keeps the request keeps the cards it names outright and the live cards:
  // checked first, it turns away most renamings of a request of named cards at once.
  CardMask named = cards::named_cards(request.board);
  for (const auto& seat : request.seats) {
    for (const auto& alternative : seat) named |= cards::named_cards(alternative);
  }
  std::vector<SuitRenaming> candidates;
  for (const SuitRenaming& renaming : kRenamings) {
    if (rename_suits(named, renaming) == named &&
        rename_suits(request.deal.live, renaming) == request.deal.live) {
      candidates.push_back(renaming);
    }
  }
  if (candidates.empty()) return candidates;

  std::vector<std::vector<std::vector<CardMask>>> seats;
  seats.reserve(request.seats.size());
  for (const auto& seat : request.seats) seats.push_back(seat_form(seat, nullptr));
  const std::vector<CardMask> board = sorted_slots(request.board, nullptr);

  std::vector<SuitRenaming> found;
  for (const SuitRenaming& candidate : candidates) {
    if (keeps(request, candidate, seats, board)) found.push_back(candidate);
  }
  return found;
}

RenamingTies::RenamingTies(std::vector<SuitRenaming> renamings) : renamings_(std::move(renamings)) {
  for (std::size_t k = 0; k <= renamings_.size(); ++k) {
    weight_by_ties_[k] = group_size() / (k + 1);
  }
  for (std::size_t j = 0; j < renamings_.size(); ++j) {
    for (unsigned suits = 0; suits < 16; ++suits) {
      unsigned renamed = 0;
      for (unsigned suit = 0; suit < 4; ++suit) {
        if (suits >> suit & 1) renamed |= 1u << renamings_[j].to[suit];
      }
      suits_to_[j][suits] = static_cast<std::uint8_t>(renamed);
    }
  }
}

}  // namespace vantor::odds
