// Deals drawn from the stream read ahead against the same deals drawn output by output: deal by
// deal (what each seat and the board hold, whether the deal was kept, and where the stream
// stands after it), with every read-ahead path this processor can take and with windows narrowed
// until deals fall back to the buffer; and whole pieces of every path against the plain loop, to
// the bit.

#include "sampled/read_ahead_deals.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "request/request.hpp"
#include "sampled/direct_draw.hpp"
#include "sampled/read_ahead_board.hpp"
#include "sampled/sampling_loop.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/read_ahead.hpp"
#include "tally/chunk_tally.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {
namespace {

// The sanitized pass runs unoptimised with assertions on: a tenth of the deals there.
#ifdef NDEBUG
constexpr int kScale = 10;
#else
constexpr int kScale = 1;
#endif

using sampler::CardPicking;
using sampler::StreamPath;

struct Spot {
  const char* game;
  std::vector<std::string> hands;
  const char* board = "";
};

// Requests of the kinds the direct draw takes, in several games: named hands, ranges of named
// hands, wildcards, named cards with wildcards, seats of a rank or a suit, boards given in part.
const std::vector<Spot>& spots() {
  static const std::vector<Spot> kSpots = {
      {"holdem", {"AhKh", "QsQd"}},
      {"holdem", {"AhKh", "QsQd", "7c7d"}, "Ts9s2d"},
      {"holdem", {"QQ+,AKs", "**", "KdQd"}},
      {"holdem", {"AKs,KQo", "JJ-88", "**"}, "2c"},
      {"holdem", {"A*", "**"}},
      {"short_deck", {"AhKh", "**"}},
      {"omaha", {"AsKsQhJh", "9c9d8c7d"}},
      {"omaha", {"AA**", "****", "KdQdJc9c"}},
      {"omaha_hi_lo", {"As2sKhQh", "****"}, "3c"},
      {"omaha_six", {"AsKsQhJh2c3c", "9c9d8c7d3h4h"}},
      {"courchevel", {"AsKsQhJh2c", "*****"}, "*"},
      {"stud", {"AsKsQh", "9c9d8c"}},
      {"stud_hi_lo", {"A**", "***", "KdQdJc"}},
      {"razz", {"As2s3h", "9c9d8c", "4h5h6h"}},
      {"deuce_seven", {"7h5d4c3s", "8s6h4d"}},
      {"five_card_draw", {"A*", "**", "KdQdJc"}},
      {"badugi", {"As2d3h", "4c5s"}},
  };
  return kSpots;
}

PreparedRequest build(const Spot& spot) {
  auto built =
      build_request_from_text(**variants::find_variant(spot.game), spot.hands, spot.board, "");
  EXPECT_TRUE(built) << spot.game << ": " << (built ? "" : display(built.error()));
  return std::move(*built);
}

std::string name_of(const Spot& spot) {
  std::string name = spot.game;
  for (const std::string& hand : spot.hands) name += " " + hand;
  return name;
}

struct Drawn {
  bool kept = false;
  std::array<variants::CardSummary, variants::kMostSeats> seats{};
  variants::CardSummary board;
  std::array<HandList, variants::kMostSeats + 1> lists{};
};

bool same(const variants::CardSummary& a, const variants::CardSummary& b) {
  return a.code == b.code && a.suit_ranks == b.suit_ranks;
}

// The direct draw of `direct`, with lists, at the plans it holds.
bool draw_any(const DirectDraw& direct, auto& source, Drawn& drawn) {
  switch (direct.plans()) {
    case PlanLevel::NamedAndWild:
      return direct.draw<CardPicking::Deposit, PlanLevel::NamedAndWild, true>(
          source, drawn.seats.data(), drawn.board, drawn.lists.data());
    case PlanLevel::Listed:
      return direct.draw<CardPicking::Deposit, PlanLevel::Listed, true>(
          source, drawn.seats.data(), drawn.board, drawn.lists.data());
    case PlanLevel::Overlapping:
      break;
  }
  return direct.draw<CardPicking::Deposit, PlanLevel::Overlapping, true>(
      source, drawn.seats.data(), drawn.board, drawn.lists.data());
}

class AheadDealPaths : public ::testing::TestWithParam<StreamPath> {
 protected:
  void SetUp() override {
    if (!sampler::can_take(GetParam())) GTEST_SKIP() << "this processor cannot take the path";
    if (!sampler::deposit_is_fast()) GTEST_SKIP() << "the read-ahead loops pick cards with pdep";
  }
};

// Deal by deal: the direct draw from the stream read ahead against the same draw from the
// generator, in windows wide and narrow.
TEST_P(AheadDealPaths, DirectDrawsDealTheSameDealsDealByDeal) {
  int compared = 0;
  for (const Spot& spot : spots()) {
    const PreparedRequest request = build(spot);
    const auto direct = DirectDraw::of(request.deal);
    if (!direct) continue;
    Drawn scratch;
    const auto ranges =
        record_ranges([&](auto& source) { return draw_any(*direct, source, scratch); });
    if (!ranges) continue;
    ++compared;
    for (const std::size_t window : {std::size_t{56}, std::size_t{24}, std::size_t{9}}) {
      sampler::Generator generator = sampler::Generator::seeded(41);
      sampler::ReadAhead ahead(generator, ranges->ranges, sampler::kernels_for(GetParam()));
      const ReadAheadDeals deals(ahead, *ranges, window);
      auto place = sampler::StreamPlace::at(ahead.start());
      for (int deal = 0; deal < 3'000 * kScale; ++deal) {
        Drawn plain;
        Drawn read;
        plain.kept = draw_any(*direct, generator, plain);
        read.kept =
            deals.draw(place, [&](auto& source) { return draw_any(*direct, source, read); });
        ASSERT_EQ(read.kept, plain.kept) << name_of(spot) << " deal " << deal;
        if (plain.kept) {
          for (std::size_t seat = 0; seat < request.deal.seat_count; ++seat) {
            ASSERT_TRUE(same(read.seats[seat], plain.seats[seat])) << name_of(spot) << " " << deal;
          }
          ASSERT_TRUE(same(read.board, plain.board)) << name_of(spot) << " deal " << deal;
          ASSERT_EQ(read.lists, plain.lists) << name_of(spot) << " deal " << deal;
        }
        if (deal % 997 == 0) {
          ASSERT_EQ(ahead.generator_at(place.next).state(), generator.state())
              << name_of(spot) << " window " << window << " deal " << deal;
        }
      }
    }
  }
  // All but stud hi/lo's A** v *** v KdQdJc, whose seats' cards come at more ranges than are
  // read ahead.
  EXPECT_EQ(compared, 16);
}

// The same for the boards of seats that never change, drawn by ReadAheadBoard.
TEST_P(AheadDealPaths, FixedSeatBoardsAreTheSameBoardsDealByDeal) {
  int compared = 0;
  for (const Spot& spot : spots()) {
    const PreparedRequest request = build(spot);
    const auto direct = DirectDraw::of(request.deal);
    if (!direct || !direct->fixed_seats()) continue;
    ++compared;
    for (const std::size_t window : {std::size_t{56}, std::size_t{16}, std::size_t{8}}) {
      sampler::Generator generator = sampler::Generator::seeded(43);
      sampler::ReadAhead ahead(generator, ReadAheadBoard::ranges(*direct),
                               sampler::kernels_for(GetParam()));
      const ReadAheadBoard boards(*direct, ahead, window);
      auto place = sampler::StreamPlace::at(ahead.start());
      for (int deal = 0; deal < 3'000 * kScale; ++deal) {
        variants::CardSummary plain;
        variants::CardSummary read;
        HandList plain_list{};
        HandList read_list{};
        direct->draw_board<CardPicking::Deposit, true>(generator, plain, &plain_list);
        if (deal % 2 == 0) {
          boards.draw<CardPicking::Deposit, true>(place, read, &read_list);
        } else if (boards.free_cards() == 5) {
          boards.draw<CardPicking::Deposit, true, 5>(place, read, &read_list);
        } else {
          boards.draw<CardPicking::Deposit, true>(place, read, &read_list);
        }
        ASSERT_TRUE(same(read, plain)) << name_of(spot) << " deal " << deal;
        ASSERT_EQ(read_list, plain_list) << name_of(spot) << " deal " << deal;
        if (deal % 997 == 0) {
          ASSERT_EQ(ahead.generator_at(place.next).state(), generator.state())
              << name_of(spot) << " window " << window << " deal " << deal;
        }
      }
    }
  }
  EXPECT_EQ(compared, 4);
}

void expect_same_tally(const ChunkTally& got, const ChunkTally& want, const std::string& what) {
  EXPECT_EQ(got.samples, want.samples) << what;
  EXPECT_EQ(got.attempts, want.attempts) << what;
  EXPECT_EQ(got.weight_sum, want.weight_sum) << what;
  for (std::size_t k = 0; k < kSeatSumCount; ++k) {
    EXPECT_EQ(got.sums[k], want.sums[k]) << what << " " << kSeatSumNames[k];
  }
}

// Whole pieces, three million deals in all per path: every read-ahead path and narrow windows give
// the plain loop's tally to the bit.
TEST_P(AheadDealPaths, PiecesGiveThePlainLoopsTally) {
  for (const Spot& spot : spots()) {
    const PreparedRequest request = build(spot);
    const std::uint64_t deals = (request.deal.seat_count > 2 ? 6'000 : 15'000) * kScale;
    StreamOptions plain_options;
    plain_options.path = StreamPath::Portable;
    const auto plain = sample_piece(request, deals, 17, nullptr, plain_options);
    ASSERT_TRUE(plain) << name_of(spot);
    for (const std::size_t window : {std::size_t{56}, std::size_t{12}}) {
      StreamOptions options;
      options.path = GetParam();
      options.window_use = window;
      const auto read = sample_piece(request, deals, 17, nullptr, options);
      ASSERT_TRUE(read) << name_of(spot);
      expect_same_tally(*read, *plain, name_of(spot) + " window " + std::to_string(window));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, AheadDealPaths,
                         ::testing::Values(StreamPath::Avx2, StreamPath::Avx512),
                         [](const auto& info) {
                           return std::string(sampler::stream_path_name(info.param));
                         });

}  // namespace
}  // namespace vantor::odds
