#include "request/feasibility.hpp"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>

#include "sampler/matching.hpp"

namespace vantor::odds {

using cards::Card;
using cards::CardMask;
using cards::named_cards;

namespace {

std::vector<Card> cards_of(CardMask mask) {
  std::vector<Card> out;
  for (mask &= cards::kFullDeck; mask != 0; mask &= mask - 1) {
    out.push_back(static_cast<Card>(std::countr_zero(mask)));
  }
  return out;
}

// One slot per card position: the union of that position's masks over the chosen alternatives.
void append_union_slots(const SeatAlternatives& seat, std::span<const std::size_t> chosen,
                        std::vector<CardMask>& slots) {
  std::size_t size = 0;
  for (const std::size_t index : chosen) size = std::max(size, seat[index].size());
  const std::size_t first = slots.size();
  slots.resize(first + size, 0);
  for (const std::size_t index : chosen) {
    for (std::size_t position = 0; position < seat[index].size(); ++position) {
      slots[first + position] |= seat[index][position];
    }
  }
}

// Depth-first choice of one alternative per seat. A node keeps, per seat, the alternatives still
// possible; it first drops those that name a card another seat (or the board) certainly holds,
// then asks the slot-by-slot check over what is left. When every seat is down to one alternative
// that check is exact, so a passing leaf is a deal.
class DealSearch {
 public:
  using Candidates = std::vector<std::vector<std::size_t>>;

  DealSearch(std::span<const SeatAlternatives> seats, std::span<const CardMask> board,
             CardMask live, std::size_t budget, std::size_t work)
      : seats_(seats), board_(board), live_cards_(cards_of(live)), budget_(budget), work_(work) {
    board_named_ = named_cards(board);
    named_.resize(seats.size());
    twins_.resize(seats.size());
    for (std::size_t seat = 0; seat < seats.size(); ++seat) {
      for (const auto& alternative : seats[seat]) named_[seat].push_back(named_cards(alternative));
      for (std::size_t other = 0; other < seats.size(); ++other) {
        if (other != seat && seats[other] == seats[seat]) twins_[seat].push_back(other);
      }
    }
  }

  Dealability run() {
    // An alternative that cannot be dealt even on its own is never worth branching on.
    Candidates candidates(seats_.size());
    for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
      for (std::size_t index = 0; index < seats_[seat].size(); ++index) {
        if (sampler::fits(seats_[seat][index], live_cards_)) candidates[seat].push_back(index);
      }
    }
    const std::optional<bool> found = explore(std::move(candidates));
    if (!found) return Dealability::Undecided;
    return *found ? Dealability::Dealable : Dealability::NoDeal;
  }

 private:
  // True when a deal exists below this node, nothing when the budget ran out first.
  std::optional<bool> explore(Candidates candidates) {
    const std::optional<bool> narrowed = narrow(candidates);
    if (narrowed != true) return narrowed;
    if (budget_ == 0 || !spend(candidates)) return std::nullopt;
    --budget_;
    slots_.clear();
    for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
      append_union_slots(seats_[seat], candidates[seat], slots_);
    }
    slots_.insert(slots_.end(), board_.begin(), board_.end());
    if (!sampler::fits(slots_, live_cards_)) return false;

    // Branch on the seat with the fewest choices left: its failures are found soonest.
    std::size_t branch = seats_.size();
    for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
      if (candidates[seat].size() < 2) continue;
      if (branch == seats_.size() || candidates[seat].size() < candidates[branch].size()) {
        branch = seat;
      }
    }
    if (branch == seats_.size()) return true;
    const Candidates before = candidates;
    for (const std::size_t option : before[branch]) {
      candidates = before;
      candidates[branch].assign(1, option);
      order_twins(candidates, branch, option);
      const std::optional<bool> found = explore(candidates);
      if (!found || *found) return found;
    }
    return false;
  }

  // Seats written alike can swap hands, so some deal exists exactly when one exists in which
  // such seats hold alternatives in seat order (by index). Asking for that order spares the
  // search every reshuffle of one failed choice: thirteen badugi seats that are each
  // "hhhh, dddd, cccc, ssss" would otherwise be tried in 4^13 orders to learn that only twelve fit.
  void order_twins(Candidates& candidates, std::size_t seat, std::size_t option) const {
    for (const std::size_t twin : twins_[seat]) {
      auto& list = candidates[twin];
      const auto out_of_order = [&](std::size_t index) {
        return twin > seat ? index < option : index > option;
      };
      list.erase(std::remove_if(list.begin(), list.end(), out_of_order), list.end());
    }
  }

  // Takes one pass over the candidates from the work left; false when it has run out.
  bool spend(const Candidates& candidates) {
    std::size_t pass = candidates.size();
    for (const auto& list : candidates) pass += list.size();
    if (pass > work_) return false;
    work_ -= pass;
    return true;
  }

  // Drops every alternative that names a card some other seat or the board certainly holds,
  // until nothing changes. False when a seat is left with nothing, or when two seats certainly
  // hold the same card; nothing when the work ran out first.
  std::optional<bool> narrow(Candidates& candidates) {
    const std::size_t n = seats_.size();
    std::vector<CardMask> held(n);
    for (bool changed = true; changed;) {
      if (!spend(candidates)) return std::nullopt;
      changed = false;
      CardMask all_held = board_named_;
      for (std::size_t seat = 0; seat < n; ++seat) {
        if (candidates[seat].empty()) return false;
        held[seat] = ~CardMask{0};
        for (const std::size_t index : candidates[seat]) held[seat] &= named_[seat][index];
        if ((held[seat] & all_held) != 0) return false;
        all_held |= held[seat];
      }
      for (std::size_t seat = 0; seat < n; ++seat) {
        const CardMask elsewhere = all_held & ~held[seat];
        const auto collides = [&](std::size_t index) {
          return (named_[seat][index] & elsewhere) != 0;
        };
        auto& list = candidates[seat];
        const auto kept = std::remove_if(list.begin(), list.end(), collides);
        if (kept == list.end()) continue;
        list.erase(kept, list.end());
        if (list.empty()) return false;
        changed = true;
      }
    }
    return true;
  }

  std::span<const SeatAlternatives> seats_;
  std::span<const CardMask> board_;
  std::vector<Card> live_cards_;
  std::size_t budget_;
  std::size_t work_;
  CardMask board_named_ = 0;
  std::vector<std::vector<CardMask>> named_;     // per seat, per alternative
  std::vector<std::vector<std::size_t>> twins_;  // per seat, the other seats written alike
  std::vector<CardMask> slots_;                  // reused by every node
};

}  // namespace

namespace {

// The answer of the matching where it is plain: when every slot names one card or takes any live
// card, the named cards must be distinct and live, and the other slots need as many live cards
// besides them. Nothing when some slot is of another kind.
std::optional<bool> count_fill(std::span<const CardMask> slots, CardMask live) {
  CardMask named = 0;
  std::size_t open = 0;
  for (const CardMask slot : slots) {
    if ((slot & live) == live) {
      ++open;
    } else if (std::popcount(slot) == 1) {
      if ((slot & (named | ~live)) != 0) return false;
      named |= slot;
    } else {
      return std::nullopt;
    }
  }
  return open <= static_cast<std::size_t>(std::popcount(live & ~named));
}

}  // namespace

bool slots_can_be_filled(std::span<const SeatAlternatives> seats, std::span<const CardMask> board,
                         CardMask live) {
  std::vector<CardMask> slots;
  std::vector<std::size_t> every;
  for (const SeatAlternatives& seat : seats) {
    every.resize(seat.size());
    for (std::size_t index = 0; index < seat.size(); ++index) every[index] = index;
    append_union_slots(seat, every, slots);
  }
  slots.insert(slots.end(), board.begin(), board.end());
  for (const CardMask slot : slots) {
    if ((slot & live) == 0) return false;
  }
  if (const auto counted = count_fill(slots, live)) return *counted;
  return sampler::fits(slots, cards_of(live));
}

Dealability find_deal(std::span<const SeatAlternatives> seats, std::span<const CardMask> board,
                      CardMask live, std::size_t budget, std::size_t work) {
  return DealSearch(seats, board, live, budget, work).run();
}

}  // namespace vantor::odds
