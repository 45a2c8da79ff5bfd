#pragma once

// The common requests drawn without card lists: every seat a named hand, a range of named hands
// or wildcards, named cards with wildcards, and a board of named cards and wildcards. Their
// deals are drawn here exactly as the rejection sampler draws them (the same generator outputs
// consumed in the same order, the same cards), but each entry's cards go straight into the
// summaries the scorer reads: no lists of cards, no per-entry plan dispatch, the generator in
// registers from the first card to the last. Requests with any other plan, or whose deals carry
// weights, keep the general loop.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "cards/card.hpp"
#include "sampler/card_pick.hpp"
#include "sampler/card_picking.hpp"
#include "sampler/deal_plan.hpp"
#include "sampler/random.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

// Each entry's cards as a list, for the rules scored from cards rather than summaries (Omaha,
// badugi): the named cards first, then the wildcards in the order drawn, as the rejection
// sampler lists them.
inline constexpr std::size_t kMostCards = 8;
using HandList = std::array<cards::Card, kMostCards>;

class SimpleDeals {
 public:
  // One alternative of a seat (or the board): its named cards, the wildcards drawn after them,
  // and the cards the plan may use at all.
  struct Alternative {
    cards::CardMask available = 0;
    cards::CardMask fixed = 0;
    variants::CardSummary fixed_summary;
    std::uint32_t free_count = 0;
    std::uint32_t fixed_count = 0;
    std::array<cards::Card, kMostCards> fixed_cards{};
  };
  // One entry of the draw order.
  struct Entry {
    cards::CardMask own_or_unclaimed = 0;  // E[i] | ~R: the cards this entry may take
    std::uint32_t first = 0;               // its alternatives in `alternatives_`
    std::uint32_t count = 0;               // 0 for the board, drawn without a choice
    std::uint32_t slot = 0;                // the seat, or the seat count for the board
    // Whether its cards can differ between deals (not a seat of one named hand): only then are
    // they listed.
    bool varies = true;
  };

  // The request's deals in this form, or nothing when some entry's plan is not named cards and
  // wildcards only, or deals carry weights (the weighted sampler, or uneven proposals).
  static std::optional<SimpleDeals> of(const sampler::DealPlan& deal) {
    if (deal.deals_carry_weights() || (deal.live & ~cards::kFullDeck) != 0) return std::nullopt;
    SimpleDeals simple;
    simple.live_ = deal.live;
    simple.seat_count_ = deal.seat_count;
    for (const std::size_t entry : deal.draw_order) {
      const bool is_board = entry == deal.seat_count;
      if (is_board && !deal.board_in_order()) continue;
      Entry item{deal.own[entry] | ~deal.reserved,
                 static_cast<std::uint32_t>(simple.alternatives_.size()), 0,
                 static_cast<std::uint32_t>(entry)};
      if (is_board) {
        if (!simple.add(deal.board_plan)) return std::nullopt;
      } else {
        for (const sampler::DrawPlan& plan : deal.seat_plans[entry]) {
          if (!simple.add(plan)) return std::nullopt;
        }
        item.count = static_cast<std::uint32_t>(deal.seat_plans[entry].size());
        item.varies = item.count > 1 || deal.seat_plans[entry].front().remaining_count() != 0;
      }
      simple.entries_.push_back(item);
    }
    return simple;
  }

  // Draws one deal, leaving each seat's cards in seats[seat] and the board's in `board` (and,
  // with kLists, also as lists in lists[seat] and lists[seat count]). False when some entry's
  // draw failed, exactly where the rejection sampler's fails, having consumed the outputs that
  // one consumes.
  template <sampler::CardPicking kPicking, bool kLists = false>
  [[gnu::always_inline]] bool draw(sampler::Generator& generator, variants::CardSummary* seats,
                                   variants::CardSummary& board,
                                   [[maybe_unused]] HandList* lists = nullptr) const {
    // A local copy, written back once, keeps the generator's state in registers.
    sampler::Generator local = generator;
    cards::CardMask available = live_;
    bool complete = true;
    board = {};
    for (const Entry& entry : entries_) {
      const Alternative* alternative = &alternatives_[entry.first];
      variants::CardSummary* out = &board;
      if (entry.count != 0) {
        // One output is consumed even for a single alternative, as the rejection sampler does.
        alternative += sampler::uniform64(local, entry.count);
        out = &seats[entry.slot];
      }
      const cards::CardMask admissible =
          available & entry.own_or_unclaimed & alternative->available;
      if ((alternative->fixed & ~admissible) != 0) {
        complete = false;
        break;
      }
      variants::CardSummary summary = alternative->fixed_summary;
      cards::CardMask left = admissible & ~alternative->fixed;
      cards::Card* list = nullptr;
      if (kLists && entry.varies) {
        list = lists[entry.slot].data();
        for (std::uint32_t i = 0; i < alternative->fixed_count; ++i)
          list[i] = alternative->fixed_cards[i];
        list += alternative->fixed_count;
      }
      if (!draw_free<kPicking, kLists>(local, left, alternative->free_count, summary, list)) {
        complete = false;
        break;
      }
      *out = summary;
      available &= ~(alternative->fixed | (admissible & ~alternative->fixed & ~left));
    }
    generator = local;
    return complete;
  }

  std::size_t seat_count() const { return seat_count_; }

 private:
  bool add(const sampler::DrawPlan& plan) {
    const bool simple = plan.remaining_count() == 0 || plan.kind == sampler::PlanKind::AllFree;
    if (!simple || plan.free_count != 0 || plan.slot_count > kMostCards) return false;
    Alternative alternative{plan.available, plan.fixed_mask, variants::summarize(plan.fixed_cards),
                            static_cast<std::uint32_t>(plan.remaining_count()),
                            static_cast<std::uint32_t>(plan.fixed_cards.size())};
    std::copy(plan.fixed_cards.begin(), plan.fixed_cards.end(), alternative.fixed_cards.begin());
    alternatives_.push_back(alternative);
    return true;
  }

  // draw_cards() for wildcards, adding each card to `summary` (and with kLists to `list`). The mask
  // holds cards 0..51 only, so no index can fall past the deck.
  template <sampler::CardPicking kPicking, bool kLists>
  [[gnu::always_inline]] static bool draw_free(sampler::Generator& generator,
                                               cards::CardMask& left_cards, std::uint32_t count,
                                               variants::CardSummary& summary,
                                               [[maybe_unused]] cards::Card* list) {
    constexpr bool kDeposit = kPicking == sampler::CardPicking::Deposit && sampler::kCanDeposit;
    if (count == 0) return true;
    auto left = static_cast<std::uint32_t>(std::popcount(left_cards));
    [[maybe_unused]] std::uint64_t running = kDeposit ? 0 : sampler::running_counts(left_cards);
    for (std::uint32_t drawn = 0; drawn < count; ++drawn, --left) {
      if (left == 0) return false;
      unsigned card;
      cards::CardMask bit;
      const std::uint32_t j = sampler::uniform32(generator, left, kZones[left]);
      if constexpr (kDeposit) {
        bit = sampler::deposit_bits(std::uint64_t{1} << j, left_cards);
        card = static_cast<unsigned>(__builtin_ctzll(bit));  // a card is there: bit is not 0
      } else {
        card = sampler::nth_card(left_cards, running, j);
        running -= 0x0101010101010101ull << (8 * (card / 8));
        bit = std::uint64_t{1} << card;
      }
      summary.add(static_cast<cards::Card>(card));
      if constexpr (kLists) list[drawn] = static_cast<cards::Card>(card);
      left_cards ^= bit;
    }
    return true;
  }

  // uniform32's zone for every count of cards left.
  static constexpr auto kZones = [] {
    std::array<std::uint32_t, cards::kCardCount + 1> zones{};
    for (std::uint32_t range = 1; range < zones.size(); ++range)
      zones[range] = sampler::uniform32_zone(range);
    return zones;
  }();

  cards::CardMask live_ = 0;
  std::size_t seat_count_ = 0;
  std::vector<Entry> entries_;
  std::vector<Alternative> alternatives_;
};

}  // namespace vantor::odds
