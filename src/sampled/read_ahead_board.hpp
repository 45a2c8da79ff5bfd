#pragma once

// The boards of a request whose seats hold the same named cards in every deal, drawn from the
// stream read ahead (sampler/read_ahead.hpp). Every deal draws at the same ranges: one output
// below 2^63 for each seat's choice among its one alternative, then one card for each of the
// board's wildcards from the same cards, one fewer each time. So a deal's outputs are the chain
// "the first output after the last one taken that the next step's range accepts", found with two
// bit operations a step on the windows of those ranges' masks, and each card is the high half of
// its output times its range. A deal whose outputs run past its window is drawn by
// DirectDraw::draw_board() from the buffer instead: the same outputs, the same board.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sampled/direct_draw.hpp"
#include "sampler/cards_from_mask.hpp"
#include "sampler/read_ahead.hpp"
#include "variants/deal_scorer.hpp"

namespace vantor::odds {

// A small value, copied into the loop that draws with it. Where the stream stands between deals
// is a StreamPlace the loop keeps apart from it, so that nothing of it lives in memory the tally's
// counters could be taken to alias.
class ReadAheadBoard {
 public:
  using Place = sampler::StreamPlace;

  // The distinct ranges a deal of `direct` (with fixed_seats()) draws at: the seats' choice,
  // then each board card's.
  static std::vector<sampler::DrawRange> ranges(const DirectDraw& direct) {
    const DirectDraw::FixedBoard board = direct.fixed_board();
    std::vector<sampler::DrawRange> ranges{{1, true}};
    for (std::uint32_t card = 0; card < board.free; ++card) {
      ranges.push_back({board.range - card, false});
    }
    return ranges;
  }

  // `ahead` was made with ranges(direct). A deal may use `window_use` outputs of its window at
  // most (ReadAhead::kWindowUse; fewer only in tests).
  ReadAheadBoard(const DirectDraw& direct, sampler::ReadAhead& ahead,
                 std::size_t window_use = sampler::ReadAhead::kWindowUse)
      : direct_(&direct),
        ahead_(&ahead),
        board_(direct.fixed_board()),
        seats_(direct.seat_count()),
        usable_((std::uint64_t{1} << window_use) - 1) {
    choice_mask_ = ahead.mask_bytes(ahead.mask_of({1, true}));
    // ranges() lists the cards' ranges in order, so their masks lie one after the other: one
    // pointer reaches them all.
    card_masks_ = ahead.mask_bytes(ahead.mask_of({board_.range, false}));
  }

  std::uint32_t free_cards() const { return board_.free; }

  // The next deal's board into `board` (and with kLists its cards into `list`), as
  // DirectDraw::draw_board() draws it from the outputs at `place`, which moves past them. kFree
  // is free_cards(), or 0 to read it at run time.
  template <sampler::CardPicking kPicking, bool kLists, std::uint32_t kFree = 0>
  [[gnu::always_inline]] void draw(Place& place, variants::CardSummary& board,
                                   [[maybe_unused]] HandList* list) const {
    constexpr bool kDeposit = kPicking == sampler::CardPicking::Deposit && sampler::kCanDeposit;
    const std::uint32_t free = kFree != 0 ? kFree : board_.free;
    if (place.next >= sampler::kBlockLength) [[unlikely]] {
      place = Place::at(ahead_->refill(place.next));
    }
    // The next deal's windows start where this one does, a deal later, so that their loads do
    // not wait for this deal's chain.
    const std::size_t frame = place.frame;
    const std::size_t next_frame = place.next & ~std::size_t{7};
    const std::uint64_t* outputs = ahead_->outputs() + frame;
    // Each step's acceptable outputs after the last one taken: the lowest is the step's output.
    // None leaves 0, which stays 0 to the last step; the cards picked on the way are then
    // garbage (read from inside the buffer), and the deal is drawn from the buffer instead.
    const std::uint64_t choices =
        sampler::ReadAhead::window(choice_mask_, frame) & usable_ & ~place.used;
    std::uint64_t last = choices;
    for (std::size_t seat = 1; seat < seats_; ++seat) last &= last - 1;
    variants::CardSummary summary = board_.named;
    cards::CardMask left = board_.left;
    [[maybe_unused]] std::uint64_t running = kDeposit ? 0 : sampler::running_counts(left);
#pragma GCC unroll 5
    for (std::uint32_t card = 0; card < free; ++card) {
      last =
          sampler::ReadAhead::window(card_masks_ + card * sampler::ReadAhead::kMaskStride, frame) &
          usable_ & ~(last ^ (last - 1));
      const std::uint64_t output = outputs[std::countr_zero(last)];
      const auto j = static_cast<std::uint32_t>(((output >> 32) * (board_.range - card)) >> 32);
      const cards::Card picked = sampler::take_nth_card<kPicking>(j, left, running);
      summary.add(picked);
      if constexpr (kLists) (*list)[(board_.named_count + card) % kMostCards] = picked;
    }
    if (last == 0) [[unlikely]] {
      place =
          Place::at(draw_from_buffer<kPicking, kLists>(*direct_, *ahead_, place.next, board, list));
      return;
    }
    if constexpr (kLists) {
      for (std::uint32_t i = 0; i < board_.named_count; ++i) (*list)[i] = board_.named_cards[i];
    }
    board = summary;
    place.next = frame + static_cast<std::size_t>(std::countr_zero(last)) + 1;
    place.used = (last ^ (last - 1)) >> (next_frame - frame);
    place.frame = next_frame;
  }

 private:
  // The board from the buffer output by output; the position after it.
  template <sampler::CardPicking kPicking, bool kLists>
  [[gnu::noinline]] static std::size_t draw_from_buffer(const DirectDraw& direct,
                                                        sampler::ReadAhead& ahead, std::size_t next,
                                                        variants::CardSummary& board,
                                                        HandList* list) {
    sampler::BufferedStream stream(ahead, next);
    direct.draw_board<kPicking, kLists>(stream, board, list);
    return stream.position();
  }

  const DirectDraw* direct_;
  sampler::ReadAhead* ahead_;
  DirectDraw::FixedBoard board_;
  std::size_t seats_;
  std::uint64_t usable_;
  const std::uint8_t* choice_mask_ = nullptr;
  const std::uint8_t* card_masks_ = nullptr;  // the first card's; the others follow
};

}  // namespace vantor::odds
