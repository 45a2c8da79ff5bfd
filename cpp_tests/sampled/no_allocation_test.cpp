// Draw paths must not allocate once their output and scratch lists have grown: this binary
// replaces the global operator new with a counting one and counts only inside a window around
// the draws. It is a separate executable so the replacement cannot disturb the main suite.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "request/prepared_request.hpp"
#include "request/request.hpp"
#include "sampled/sampling_loop.hpp"
#include "sampler/deal.hpp"
#include "sampler/deal_plan.hpp"
#include "sampler/draw.hpp"
#include "variants/equity.hpp"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* counted_allocation(std::size_t size) noexcept {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

// Every unaligned form is replaced, so that whatever the library allocates through any of them
// is counted and goes back to the same free. Under AddressSanitizer a form left out would come
// from the sanitizer's own operator (std::stable_sort's nothrow buffer, for one) and be freed
// here, which the sanitizer reports as a mismatched deallocation.
void* operator new(std::size_t size) {
  if (void* p = counted_allocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = counted_allocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return counted_allocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return counted_allocation(size);
}
// g++ 12 takes the library's inlined calls of operator new for the built-in one and, seeing free()
// here, warns of a mismatch that the replacement above rules out.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;

constexpr CardMask kAces = 0xF000000000000, kKings = 0x0F00000000000, kAll = cards::kFullDeck;

template <typename Draw>
long allocations_during(int rounds, Draw draw) {
  for (int i = 0; i < 100; ++i) draw();  // let the output lists reach their size
  allocations = 0;
  counting = true;
  for (int i = 0; i < rounds; ++i) draw();
  counting = false;
  return allocations.load();
}

TEST(NoAllocation, PlanDrawsOfEveryKind) {
  std::vector<CardMask> scattered(5);
  for (Card card = 0; card < 32; ++card) {
    const unsigned signature = (card * 37u + 11u) % 31u + 1u;
    for (unsigned i = 0; i < 5; ++i) {
      if ((signature >> i) & 1) scattered[i] |= CardMask{1} << card;
    }
  }
  scattered.push_back(kAll);
  const std::vector<std::vector<CardMask>> slot_lists{
      std::vector<CardMask>(5, kAll),                                // all free
      {kAces, kAces | kKings, kAll},                                 // listed, overlapping split
      {0x3FFFF, 0x3FFFF, 0x3FFFF, 0xFFFFC00, 0xFFFFC00, 0xFFFFC00},  // shaped
      scattered,                                                     // rejection with a free slot
  };
  Generator generator = Generator::seeded(3);
  std::vector<Card> out;
  for (const auto& slots : slot_lists) {
    const DrawPlan plan = build_plan(slots, kAll);
    EXPECT_EQ(allocations_during(5000, [&] { (void)draw_with_plan(plan, kAll, generator, out); }),
              0)
        << static_cast<int>(plan.kind);
  }
}

TEST(NoAllocation, WholeDealDraws) {
  // The second request's first seat holds any ace with any card or two kings: its deals carry
  // weights in both samplers.
  for (const std::vector<cards::SeatAlternatives>& hands :
       {std::vector<cards::SeatAlternatives>{
            {{kAces, kAll}}, {{kAces | kKings, kAces | kKings}}, {{kAll, kAll}}},
        std::vector<cards::SeatAlternatives>{{{kAces, kAll}, {kKings, kKings}},
                                             {{kAces | kKings, kAces | kKings}},
                                             {{kAll, kAll}}}}) {
    const DealPlan plan = plan_deal(hands, std::vector<CardMask>(5, kAll), kAll);
    Generator generator = Generator::seeded(4);
    std::vector<std::vector<Card>> seats(plan.seat_count);
    std::vector<Card> board;
    WeightedScratch scratch;
    EXPECT_EQ(
        allocations_during(5000, [&] { (void)rejection_draw(plan, generator, seats, board); }), 0);
    EXPECT_EQ(allocations_during(
                  5000, [&] { (void)weighed_rejection_draw(plan, generator, seats, board); }),
              0);
    EXPECT_EQ(allocations_during(
                  5000, [&] { (void)weighted_draw(plan, generator, seats, board, scratch); }),
              0);
  }
}

// Allocations of one sample_piece() call of `target` deals.
long piece_allocations(const odds::PreparedRequest& request, std::uint64_t target) {
  allocations = 0;
  counting = true;
  const auto tally = odds::sample_piece(request, target, 5);
  counting = false;
  EXPECT_TRUE(tally && tally->samples == target);
  return allocations.load();
}

// A piece allocates its tally and buffers once; the deals themselves allocate nothing, so a
// piece of a hundred thousand deals allocates exactly as often as one of ten.
TEST(NoAllocation, SamplingLoopAllocatesPerPieceNotPerDeal) {
  odds::PreparedRequest request;
  request.game = *variants::find_variant("holdem");
  request.seats = {{{kAces, kAll}}, {{kAces | kKings, kAces | kKings}}, {{kAll, kAll}}};
  request.board.assign(5, kAll);
  request.deal = plan_deal(request.seats, request.board, kAll);
  for (const bool weighted : {false, true}) {
    request.deal.weighted = weighted;
    (void)piece_allocations(request, 10);  // the ranking tables are built on first use
    const long few = piece_allocations(request, 10);
    EXPECT_GT(few, 0);
    EXPECT_EQ(piece_allocations(request, 100), few) << (weighted ? "weighted" : "rejection");
    // Pieces that read the stream ahead make their buffers once, whatever their length (the
    // first one also checks the read-ahead kernels once for the process).
    (void)piece_allocations(request, 2 * odds::kReadAheadFrom);
    const long ahead = piece_allocations(request, 2 * odds::kReadAheadFrom);
    EXPECT_EQ(piece_allocations(request, 100'000), ahead) << (weighted ? "weighted" : "rejection");
  }
}

// The same for the requests drawn from the stream read ahead: seats that never change, and a
// range of named hands beside wildcards.
TEST(NoAllocation, ReadAheadPiecesAllocatePerPieceNotPerDeal) {
  for (const std::vector<std::string>& hands :
       {std::vector<std::string>{"AhKh", "QsQd"}, std::vector<std::string>{"QQ+,AKs", "**", "KdQd"},
        std::vector<std::string>{"AsKsQh", "9c9d8c"}}) {
    const char* game = hands.size() == 2 && hands[0].size() == 6 ? "stud" : "holdem";
    auto built = odds::build_request_from_text(**variants::find_variant(game), hands, "", "");
    ASSERT_TRUE(built);
    (void)piece_allocations(*built, 2 * odds::kReadAheadFrom);
    const long ahead = piece_allocations(*built, 2 * odds::kReadAheadFrom);
    EXPECT_GT(ahead, 0);
    EXPECT_EQ(piece_allocations(*built, 100'000), ahead) << hands[0];
  }
}

// Where rejection-sampled deals carry weights, a count per weight is made as each weight first
// comes up: two here (any ace with any card, or two kings), both of which a thousand deals meet.
TEST(NoAllocation, WeighedRejectionDealsAllocatePerPieceNotPerDeal) {
  odds::PreparedRequest request;
  request.game = *variants::find_variant("holdem");
  request.seats = {
      {{kAces, kAll}, {kKings, kKings}}, {{kAces | kKings, kAces | kKings}}, {{kAll, kAll}}};
  request.board.assign(5, kAll);
  request.deal = plan_deal(request.seats, request.board, kAll);
  ASSERT_TRUE(request.deal.rejection_weights);
  ASSERT_FALSE(request.deal.weighted);
  (void)piece_allocations(request, 1000);
  const long few = piece_allocations(request, 1000);
  EXPECT_GT(few, 0);
  EXPECT_EQ(piece_allocations(request, 100'000), few);
}

TEST(NoAllocation, CounterSeesAllocations) {
  // Guards the test itself: the replacement must be the operator the library calls.
  EXPECT_GT(allocations_during(10,
                               [] {
                                 std::vector<int> grown(100);
                                 (void)grown;
                               }),
            0);
}

}  // namespace
}  // namespace vantor::sampler
