#pragma once

// The common requests drawn without the general plan dispatch: every seat a named hand, a range
// of named hands, wildcards, named cards with wildcards, or a few slots of a rank or a suit (each
// filled from a listed plan, disjoint from the others) with wildcards; and a board of named cards
// and wildcards. Their deals are drawn here exactly as the rejection sampler draws them (the same
// generator outputs consumed in the same order, the same cards), but each entry's cards go
// straight into the summaries the scorer reads (and, for the rules scored from cards, into fixed
// lists), with the generator in registers from the first card to the last. Requests with any
// other plan, or whose deals carry weights, keep the general loop. The draws take any source of
// the stream (sampler/stream_sources.hpp, whose uniforms must be declared before these templates
// for a source of theirs to be given them): a Generator, the stream read ahead, or a recording.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cards/card.hpp"
#include "sampler/cards_from_mask.hpp"
#include "sampler/deal_plan.hpp"
#include "sampler/draw.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"
#include "sampler/stream_sources.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

// Each entry's cards as a list, for the rules scored from cards rather than summaries (Omaha,
// badugi): the named cards first, then the wildcards in the order drawn, as the rejection
// sampler lists them.
inline constexpr std::size_t kMostCards = 8;
using HandList = std::array<cards::Card, kMostCards>;

// Which plans a request's direct draw has to handle beyond named cards and wildcards: each
// level includes the ones before it, and a draw compiled for a lower level skips their work.
enum class PlanLevel : std::uint8_t {
  NamedAndWild,  // named cards and wildcards only
  Listed,        // also listed plans whose constrained slots are disjoint
  Overlapping,   // also listed plans whose constrained slots overlap
};

class DirectDraw {
 public:
  // The draw plan of one alternative of a seat (or of the board) in the few words the draw
  // reads: its named cards, the wildcards drawn after them, and the cards the plan may use at all.
  struct CompactPlan {
    cards::CardMask available = 0;
    cards::CardMask fixed = 0;
    variants::CardSummary fixed_summary;
    std::uint32_t free_count = 0;
    std::uint32_t fixed_count = 0;
    std::array<cards::Card, kMostCards> fixed_cards{};
    // A listed plan: one of its card sets by a 64-bit uniform before the wildcards (pointing
    // into the plan, which outlives the piece), and, where it splits its slots into constrained
    // ones and wildcards, the plan itself, which counts the ways the wildcards could duplicate
    // the constrained slots' fillings (see split_multiplicity() in draw.hpp): from the cards'
    // set where its constrained slots fall into disjoint groups, from the cards themselves
    // where they overlap otherwise.
    const cards::CardMask* listed_masks = nullptr;
    const cards::Card* listed_cards = nullptr;
    std::uint32_t listed_count = 0;  // 0: not a listed plan
    std::uint32_t listed_size = 0;   // cards per set
    const sampler::DrawPlan* split = nullptr;
    bool overlapping = false;  // slots that overlap other than as disjoint groups of equal masks
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
    // Whether every alternative is named cards only (a range of named hands): draw() with
    // kRanges then places the chosen one with nothing but the check against the cards taken.
    bool named_only = false;
    std::uint64_t choice_zone = 0;  // uniform64_zone(count), for a count of at least 2
  };

  // The request's deals in this form, or nothing when some entry's plan is not of the kinds above,
  // or deals carry weights (the weighted sampler, or uneven proposals).
  static std::optional<DirectDraw> of(const sampler::DealPlan& deal) {
    if (deal.deals_carry_weights() || (deal.live & ~cards::kFullDeck) != 0) return std::nullopt;
    DirectDraw direct;
    direct.live_ = deal.live;
    direct.seat_count_ = deal.seat_count;
    for (const std::size_t entry : deal.draw_order) {
      const bool is_board = entry == deal.seat_count;
      if (is_board && !deal.board_in_order()) continue;
      Entry item{deal.own[entry] | ~deal.reserved,
                 static_cast<std::uint32_t>(direct.alternatives_.size()), 0,
                 static_cast<std::uint32_t>(entry)};
      if (is_board) {
        if (!direct.add(deal.board_plan)) return std::nullopt;
      } else {
        for (const sampler::DrawPlan& plan : deal.seat_plans[entry]) {
          if (!direct.add(plan)) return std::nullopt;
        }
        item.count = static_cast<std::uint32_t>(deal.seat_plans[entry].size());
        item.varies = item.count > 1 || deal.seat_plans[entry].front().remaining_count() != 0;
        item.named_only =
            std::all_of(deal.seat_plans[entry].begin(), deal.seat_plans[entry].end(),
                        [](const sampler::DrawPlan& plan) { return plan.remaining_count() == 0; });
        direct.ranges_ = direct.ranges_ || (item.named_only && item.count > 1);
        item.choice_zone = sampler::uniform64_zone(item.count);
      }
      direct.entries_.push_back(item);
    }
    direct.settle_fixed_seats();
    direct.ranges_ = direct.ranges_ && direct.plans_ == PlanLevel::NamedAndWild;
    return direct;
  }

  // Whether some seat is a range of named hands and every plan is named cards and wildcards:
  // then draw() can take kRanges.
  bool ranges() const { return ranges_; }

  // Whether every seat holds one named hand and the board comes last: then nothing but the
  // board's wildcards differs between deals, and draw_board() draws a deal.
  bool fixed_seats() const { return fixed_seats_; }
  // The seats' cards, the same in every deal, when fixed_seats().
  const variants::CardSummary& fixed_seat(std::size_t seat) const {
    return alternatives_[seat_entry_[seat]].fixed_summary;
  }

  // With fixed_seats(): what draw_board() draws every deal's board from.
  struct FixedBoard {
    variants::CardSummary named;  // its named cards
    const cards::Card* named_cards = nullptr;
    std::uint32_t named_count = 0;
    cards::CardMask left = 0;  // the cards its wildcards are drawn from
    std::uint32_t range = 0;   // how many those are
    std::uint32_t free = 0;    // how many wildcards it has
  };
  FixedBoard fixed_board() const {
    const cards::Card* named =
        board_fixed_count_ != 0 ? alternatives_[entries_.back().first].fixed_cards.data() : nullptr;
    return {board_fixed_, named, board_fixed_count_, board_left_, board_range_, board_free_};
  }

  // draw() for a request with fixed_seats(): the same outputs consumed, the same board, and it
  // never fails. Each seat still consumes its choice among one alternative; the board's cards
  // come from the one mask it meets in every deal, whose range for each card and rejection zone
  // are known in advance.
  template <sampler::CardPicking kPicking, bool kLists = false, class Source>
  [[gnu::always_inline]] void draw_board(Source& generator, variants::CardSummary& board,
                                         [[maybe_unused]] HandList* board_list = nullptr) const {
    constexpr bool kDeposit = kPicking == sampler::CardPicking::Deposit && sampler::kCanDeposit;
    Source local = generator;
    for (std::size_t seat = 0; seat < seat_count_; ++seat) local.skip_through_low_output();
    variants::CardSummary summary = board_fixed_;
    cards::CardMask left = board_left_;
    if (kLists && board_fixed_count_ != 0) {
      const auto& named = alternatives_[entries_.back().first].fixed_cards;
      std::copy(named.begin(), named.begin() + board_fixed_count_, board_list->begin());
    }
    [[maybe_unused]] std::uint64_t running = kDeposit ? 0 : sampler::running_counts(left);
    for (std::uint32_t drawn = 0; drawn < board_free_; ++drawn) {
      const std::uint32_t j = sampler::uniform32(local, board_range_ - drawn, board_zones_[drawn]);
      const auto card = sampler::take_nth_card<kPicking>(j, left, running);
      summary.add(card);
      if constexpr (kLists) (*board_list)[(board_fixed_count_ + drawn) % kMostCards] = card;
    }
    board = summary;
    generator = local;
  }

  // Draws one deal, leaving each seat's cards in seats[seat] and the board's in `board` (and,
  // with kLists, also as lists in lists[seat] and lists[seat count]); kPlans must be at least
  // plans(). False when some entry's
  // draw failed, exactly where the rejection sampler's fails, having consumed the outputs that
  // one consumes. kRanges, without lists and only where ranges(): a seat that is a range of
  // named hands consumes its choice as any seat does, and the chosen hand is placed with no
  // work beyond its check against the cards already taken.
  template <sampler::CardPicking kPicking, PlanLevel kPlans, bool kLists = false,
            bool kRanges = false, class Source>
  [[gnu::always_inline]] bool draw(Source& generator, variants::CardSummary* seats,
                                   variants::CardSummary& board,
                                   [[maybe_unused]] HandList* lists = nullptr) const {
    static_assert(!(kRanges && kLists), "the named hands of a range are not listed");
    // A local copy, written back once, keeps the generator's state in registers.
    Source local = generator;
    cards::CardMask available = live_;
    bool complete = true;
    board = {};
    for (const Entry& entry : entries_) {
      if (kRanges && entry.named_only) {
        const CompactPlan& chosen = alternatives_[entry.first + choose(local, entry)];
        if ((chosen.fixed & ~(available & entry.own_or_unclaimed & chosen.available)) != 0) {
          complete = false;
          break;
        }
        seats[entry.slot] = chosen.fixed_summary;
        available &= ~chosen.fixed;
        continue;
      }
      const CompactPlan* alternative = &alternatives_[entry.first];
      variants::CardSummary* out = &board;
      if (entry.count != 0) {
        // One output is consumed even for a single alternative, as the rejection sampler does.
        alternative += choose(local, entry);
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
      // Where this entry's cards are listed, and how many are; a list is wrapped at its size
      // (which no hand reaches) so that every write stays inside it by construction.
      // Overlapping constrained slots need the cards themselves to count their splits: they are
      // listed in any case, into `own` when no list is asked for.
      HandList own;
      HandList* list = nullptr;
      if (kLists && entry.varies) {
        list = &lists[entry.slot];
      } else if (kPlans == PlanLevel::Overlapping && alternative->overlapping) {
        list = &own;
      }
      std::uint32_t listed = 0;
      if (list != nullptr) {
        for (std::uint32_t i = 0; i < alternative->fixed_count; ++i)
          (*list)[listed++ % kMostCards] = alternative->fixed_cards[i];
      }
      cards::CardMask set = 0;
      if (kPlans != PlanLevel::NamedAndWild && alternative->listed_count != 0) {
        const auto index =
            static_cast<std::size_t>(sampler::uniform64(local, alternative->listed_count));
        set = alternative->listed_masks[index];
        if ((set & ~left) != 0) {
          complete = false;
          break;
        }
        const cards::Card* cards = alternative->listed_cards + index * alternative->listed_size;
        for (std::uint32_t i = 0; i < alternative->listed_size; ++i) {
          summary.add(cards[i]);
          if (list != nullptr) (*list)[listed++ % kMostCards] = cards[i];
        }
        left &= ~set;
      }
      const cards::CardMask before_free = left;
      if (!draw_free<kPicking>(local, left, alternative->free_count, summary, list, listed)) {
        complete = false;
        break;
      }
      if (kPlans != PlanLevel::NamedAndWild && alternative->split != nullptr &&
          alternative->free_count != 0) {
        // A hand that splits into the constrained slots' cards and wildcards in several ways is
        // proposed that many times as often, so it is kept with one chance in that many.
        std::uint32_t ways;
        if (kPlans == PlanLevel::Overlapping && alternative->overlapping) {
          ways = sampler::split_multiplicity(
              *alternative->split,
              std::span<const cards::Card>(list->data() + alternative->fixed_count,
                                           alternative->listed_size + alternative->free_count));
        } else {
          ways = sampler::grouped_multiplicity(*alternative->split, set | (before_free & ~left));
        }
        if (ways >= 2 && sampler::uniform32(local, ways) != 0) {
          complete = false;
          break;
        }
      }
      *out = summary;
      available &= ~(alternative->fixed | (admissible & ~alternative->fixed & ~left));
    }
    generator = local;
    return complete;
  }

  std::size_t seat_count() const { return seat_count_; }
  // The plans draw() has to handle for this request.
  PlanLevel plans() const { return plans_; }

 private:
  bool add(const sampler::DrawPlan& plan) {
    if (plan.slot_count > kMostCards) return false;
    CompactPlan alternative{plan.available, plan.fixed_mask, variants::summarize(plan.fixed_cards),
                            0, static_cast<std::uint32_t>(plan.fixed_cards.size())};
    std::copy(plan.fixed_cards.begin(), plan.fixed_cards.end(), alternative.fixed_cards.begin());
    if (plan.remaining_count() == 0) {
      // Named cards only.
    } else if (plan.kind == sampler::PlanKind::AllFree && plan.free_count == 0) {
      alternative.free_count = static_cast<std::uint32_t>(plan.remaining_count());
    } else if (plan.kind == sampler::PlanKind::Listed && plan.listed_count() != 0) {
      plans_ = std::max(plans_, PlanLevel::Listed);
      alternative.listed_masks = plan.listed_masks.data();
      alternative.listed_cards = plan.listed_cards.data();
      alternative.listed_count = static_cast<std::uint32_t>(plan.listed_count());
      alternative.listed_size = static_cast<std::uint32_t>(plan.covered_slots.size());
      if (!plan.constrained_masks.empty()) {
        alternative.free_count = static_cast<std::uint32_t>(plan.free_count);
        alternative.split = &plan;
        alternative.overlapping = plan.group_count == 0;
        if (!plan.disjoint) plans_ = PlanLevel::Overlapping;
      }
    } else {
      return false;
    }
    alternatives_.push_back(alternative);
    return true;
  }

  // The entry's alternative, consumed as uniform64(generator, entry.count) consumes it, with the
  // zone settled in advance and the whole of it inline.
  template <class Source>
  [[gnu::always_inline]] static std::uint64_t choose(Source& generator, const Entry& entry) {
    if (entry.count == 1) {
      generator.skip_through_low_output();
      return 0;
    }
    return sampler::uniform64(generator, entry.count, entry.choice_zone);
  }

  // Sets fixed_seats() and what draw_board() needs, by following draw() through the parts of a
  // deal that are the same every time: where some seat's named cards are not admissible, every
  // deal fails, and draw() is left to fail it.
  void settle_fixed_seats() {
    // The board, when there is one, must come last.
    const bool has_board = !entries_.empty() && entries_.back().count == 0;
    if (entries_.size() != seat_count_ + (has_board ? 1 : 0)) return;
    cards::CardMask available = live_;
    for (std::size_t i = 0; i < seat_count_; ++i) {
      const Entry& entry = entries_[i];
      const CompactPlan& seat = alternatives_[entry.first];
      if (entry.count != 1 || seat.free_count != 0 || seat.listed_count != 0) return;
      if ((seat.fixed & ~(available & entry.own_or_unclaimed & seat.available)) != 0) return;
      available &= ~seat.fixed;
      seat_entry_[entry.slot] = entry.first;
    }
    if (!has_board) {
      fixed_seats_ = true;
      return;
    }
    const Entry& entry = entries_.back();
    const CompactPlan& board = alternatives_[entry.first];
    if (board.listed_count != 0) return;
    const cards::CardMask admissible = available & entry.own_or_unclaimed & board.available;
    if ((board.fixed & ~admissible) != 0) return;
    const cards::CardMask left = admissible & ~board.fixed;
    const auto range = static_cast<std::uint32_t>(std::popcount(left));
    if (range < board.free_count || board.free_count > kMostCards) return;
    for (std::uint32_t drawn = 0; drawn < board.free_count; ++drawn)
      board_zones_[drawn] = sampler::uniform32_zone(range - drawn);
    board_fixed_ = board.fixed_summary;
    board_left_ = left;
    board_range_ = range;
    board_free_ = board.free_count;
    board_fixed_count_ = board.fixed_count;
    fixed_seats_ = true;
  }

  // draw_cards() for wildcards, adding each card to `summary` (and to `list`, when given, from
  // position `listed` on). The mask holds cards 0..51 only, so no index can fall past the deck.
  template <sampler::CardPicking kPicking, class Source>
  [[gnu::always_inline]] static bool draw_free(Source& generator, cards::CardMask& left_cards,
                                               std::uint32_t count, variants::CardSummary& summary,
                                               HandList* list, std::uint32_t listed) {
    constexpr bool kDeposit = kPicking == sampler::CardPicking::Deposit && sampler::kCanDeposit;
    if (count == 0) return true;
    auto left = static_cast<std::uint32_t>(std::popcount(left_cards));
    [[maybe_unused]] std::uint64_t running = kDeposit ? 0 : sampler::running_counts(left_cards);
    for (std::uint32_t drawn = 0; drawn < count; ++drawn, --left) {
      if (left == 0) return false;
      const std::uint32_t j = sampler::uniform32(generator, left, kZones[left]);
      const auto card = sampler::take_nth_card<kPicking>(j, left_cards, running);
      summary.add(card);
      if (list != nullptr) (*list)[(listed + drawn) % kMostCards] = card;
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
  bool ranges_ = false;
  PlanLevel plans_ = PlanLevel::NamedAndWild;
  std::size_t seat_count_ = 0;
  std::vector<Entry> entries_;
  std::vector<CompactPlan> alternatives_;
  // With fixed_seats(): each seat's alternative, and the board's named cards, the cards its
  // wildcards are drawn from, their count, and the zone of each draw.
  bool fixed_seats_ = false;
  std::array<std::uint32_t, variants::kMostSeats> seat_entry_{};
  variants::CardSummary board_fixed_;
  cards::CardMask board_left_ = 0;
  std::uint32_t board_range_ = 0;
  std::uint32_t board_free_ = 0;
  std::uint32_t board_fixed_count_ = 0;
  std::array<std::uint32_t, kMostCards> board_zones_{};
};

}  // namespace vantor::odds
