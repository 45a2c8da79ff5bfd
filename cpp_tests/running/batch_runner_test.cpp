// The batch runner against its definition: a piece is a plain loop (draw with the request's
// sampler, score the deal with the showdown, add it with its weight), a batch is its pieces
// merged in order. The loop's own scoring (summaries, outcome counting) must give the same
// tallies on spots of every game and both samplers.

#include "running/batch_runner.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "errors/request_error.hpp"
#include "request/request.hpp"
#include "running/worker_pool.hpp"
#include "sampled/sampling_loop.hpp"
#include "sampler/deal.hpp"
#include "variants/equity.hpp"
#include "variants/rankings/fast.hpp"
#include "variants/showdown.hpp"
#include "variants/showdown_reference.hpp"

namespace vantor::odds {
namespace {

using cards::Card;
constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();

PreparedRequest build(const char* game, std::vector<std::string> hands, const char* board = "",
                      const char* dead = "") {
  auto built = build_request_from_text(**variants::find_variant(game), hands, board, dead);
  EXPECT_TRUE(built) << game << ": " << (built ? "" : display(built.error()));
  return std::move(*built);
}

// The piece as written out: attempts counted one by one, every deal scored by the showdown and
// added to the tally on its own. Nothing when the attempt limit is passed.
std::optional<ChunkTally> plain_piece(const PreparedRequest& r, std::uint64_t target,
                                      std::uint64_t seed) {
  auto generator = sampler::Generator::seeded(seed);
  ChunkTally tally(r.deal.seat_count);
  std::vector<std::vector<Card>> seat_cards(r.deal.seat_count);
  std::vector<Card> board;
  sampler::WeightedScratch scratch;
  std::vector<double> share(r.deal.seat_count), low_share(r.deal.seat_count);
  const std::uint64_t limit = std::max<std::uint64_t>(10'000, 1'000 * target);
  while (tally.samples < target) {
    if (tally.attempts == limit) return std::nullopt;
    ++tally.attempts;
    const auto weight = r.deal.weighted
                            ? sampler::weighted_draw(r.deal, generator, seat_cards, board, scratch)
                            : sampler::weighed_rejection_draw(r.deal, generator, seat_cards, board);
    if (!weight) continue;
    std::fill(share.begin(), share.end(), 0.0);
    std::fill(low_share.begin(), low_share.end(), 0.0);
    variants::PotShares shares{share, low_share};
    const std::vector<std::span<const Card>> seats(seat_cards.begin(), seat_cards.end());
    variants::with_showdown(
        *r.game,
        [&](auto showdown) {
          EXPECT_TRUE(variants::ReferenceShowdown<decltype(showdown)>::score(
              {seats, board}, shares, rankings::fast_tables()));
        },
        [] { ADD_FAILURE() << "a game outside the catalogue"; });
    tally.add(share, low_share, *weight);
  }
  return tally;
}

void expect_close(const std::vector<double>& got, const std::vector<double>& want,
                  const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i], want[i], 1e-9 * std::max(1.0, std::abs(want[i]))) << what << " seat " << i;
  }
}

void expect_same_tally(const ChunkTally& got, const ChunkTally& want) {
  EXPECT_EQ(got.samples, want.samples);
  EXPECT_EQ(got.attempts, want.attempts);
  EXPECT_NEAR(got.weight_sum, want.weight_sum, 1e-9 * want.weight_sum);
  EXPECT_NEAR(got.weight_square_sum, want.weight_square_sum, 1e-9 * want.weight_square_sum);
  EXPECT_FALSE(got.exact);
  for (std::size_t k = 0; k < kSeatSumCount; ++k) {
    expect_close(got.sums[k], want.sums[k], kSeatSumNames[k]);
  }
}

struct Spot {
  const char* name;
  const char* game;
  std::vector<std::string> hands;
  const char* board;
};

void PrintTo(const Spot& spot, std::ostream* os) {
  *os << spot.game << " [";
  for (const auto& hand : spot.hands) *os << " \"" << hand << '"';
  *os << " ] board \"" << spot.board << '"';
}

// Both samplers run on every spot, whichever the pilot would choose. The weighted sampler needs
// every alternative to keep a non-zero weight, so no range may hold a card another seat names
// ("QQ+,AKs" beside KdQd would leave the combinations with Kd or Qd at weight 0, which only the
// rejection sampler takes).
const std::vector<Spot> kSpots = {
    {"holdem_named", "holdem", {"AhKh", "QsQd"}, ""},
    {"holdem_range_wildcard_named", "holdem", {"QQ+,AKs", "**", "JdTd"}, ""},
    {"holdem_seven_ranked_seats", "holdem", {"A*", "K*", "**", "Q*", "J*", "T*", "9*"}, "Ah7c"},
    {"short_deck", "short_deck", {"AhKh", "A*", "T*"}, ""},
    {"omaha", "omaha", {"AA**", "****", "KdQdJc9c"}, "2h3h"},
    {"omaha_hi_lo", "omaha_hi_lo", {"A2**", "****", "KdQdJc9c"}, ""},
    {"omaha_five", "omaha_five", {"AA***", "*****"}, "Kh"},
    {"omaha_five_hi_lo", "omaha_five_hi_lo", {"A2***", "*****", "3c4c5d6d7h"}, ""},
    {"omaha_six", "omaha_six", {"AA****", "******"}, ""},
    {"courchevel", "courchevel", {"AA***", "*****"}, "*"},
    {"courchevel_hi_lo", "courchevel_hi_lo", {"A2***", "*****"}, "Kd"},
    {"stud", "stud", {"A**", "***", "KdQdJc"}, ""},
    {"stud_hi_lo", "stud_hi_lo", {"A**", "2**", "***"}, ""},
    {"razz", "razz", {"A**", "***", "KdQdJc"}, ""},
    {"deuce_seven", "deuce_seven", {"7*", "**", "8s6h4d3c"}, ""},
    {"five_card_draw", "five_card_draw", {"A*", "**", "KdQdJc"}, ""},
    {"badugi", "badugi", {"A*", "**", "KdQdJc"}, ""},
    // Alternatives that allow different numbers of hands: rejection-sampled deals carry weights,
    // counted per distinct weight; five such seats give more weights than are counted so.
    {"holdem_uneven_alternatives", "holdem", {"A*, KK", "Q*, JsJd", "**"}, ""},
    {"holdem_many_weights", "holdem", {"A*, KK", "K*, QQ", "Q*, JJ", "J*, TT", "T*, 99"}, "2c3d"},
    {"omaha_uneven_alternatives", "omaha", {"A*K*, QQ**", "****", "hh**"}, "2c"},
    {"stud_hi_lo_uneven_alternatives", "stud_hi_lo", {"A2*", "***, KK*", "5**"}, ""},
};

class EveryGame : public testing::TestWithParam<std::tuple<Spot, bool>> {};

TEST_P(EveryGame, PieceMatchesThePlainLoop) {
  const auto& [spot, weighted] = GetParam();
  PreparedRequest request = build(spot.game, spot.hands, spot.board);
  if (weighted) {
    // A plan the rejection sampler is certain for leaves the weighted sampler's tables out.
    sampler::complete_shape_tables(request.deal, request.seats, request.board);
    for (const auto& logs : request.deal.log_weights) {
      for (const double log : logs) ASSERT_TRUE(std::isfinite(log)) << "an alternative of weight 0";
    }
  }
  request.deal.weighted = weighted;
  for (const std::uint64_t seed : {std::uint64_t{0}, std::uint64_t{977}}) {
    const auto piece = sample_piece(request, 3000, seed);
    const auto plain = plain_piece(request, 3000, seed);
    ASSERT_TRUE(piece) << display(piece.error());
    ASSERT_TRUE(plain);
    expect_same_tally(*piece, *plain);
  }
}

INSTANTIATE_TEST_SUITE_P(BothSamplers, EveryGame,
                         testing::Combine(testing::ValuesIn(kSpots), testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_weighted" : "_rejection");
                         });

// A piece long enough to tabulate its named Omaha seats by board class scores its deals as the
// plain loop does: high and low, four to six hole cards, suited pairs that meet flush boards.
TEST(Pieces, TabulatedOmahaSeatsMatchThePlainLoop) {
  const std::vector<Spot> spots = {
      {"omaha", "omaha", {"AsKsQhJh", "9c9d8c7d"}, ""},
      {"omaha_hi_lo", "omaha_hi_lo", {"As2sKhQh", "9c9d8c7d", "3h4h5d6d"}, ""},
      {"omaha_six", "omaha_six", {"AsKsQhJh2c3c", "9c9d8c7d3h4h"}, "Td"},
      {"courchevel_hi_lo", "courchevel_hi_lo", {"As2sKhQh3c", "9c9d8c7d4h"}, "*"},
  };
  for (const Spot& spot : spots) {
    const PreparedRequest request = build(spot.game, spot.hands, spot.board);
    const auto piece = sample_piece(request, kTabulateSeatsFrom, 5);
    const auto plain = plain_piece(request, kTabulateSeatsFrom, 5);
    ASSERT_TRUE(piece) << spot.name << ": " << display(piece.error());
    ASSERT_TRUE(plain) << spot.name;
    SCOPED_TRACE(spot.name);
    expect_same_tally(*piece, *plain);
  }
}

TEST(Pieces, SplitAsDocumented) {
  EXPECT_EQ(piece_count(0, 4), 1u);
  EXPECT_EQ(piece_count(3, 8), 3u);
  EXPECT_EQ(piece_count(10, 4), 4u);
  EXPECT_EQ(piece_count(10, 0), 1u);
  EXPECT_EQ(piece_count(kMost, kMost), kMost);
  const std::uint64_t seed = 12345;
  const std::uint64_t targets[] = {3, 3, 2, 2};
  for (std::uint64_t i = 0; i < 4; ++i) {
    const Piece piece = piece_of(10, seed, 4, i);
    EXPECT_EQ(piece.target, targets[i]);
    EXPECT_EQ(piece.seed, seed * 0x9e3779b97f4a7c15 + i);
  }
  // The seeds wrap, and the targets always add up to the samples.
  std::uint64_t total = 0;
  for (std::uint64_t i = 0; i < 7; ++i) total += piece_of(kMost, kMost, 7, i).target;
  EXPECT_EQ(total, kMost);
  EXPECT_EQ(piece_of(kMost, kMost, 7, 6).seed, kMost * 0x9e3779b97f4a7c15 + 6);
}

TEST(Pieces, AttemptLimitHasAFloorAndSaturates) {
  EXPECT_EQ(attempt_limit(0), 10'000u);
  EXPECT_EQ(attempt_limit(10), 10'000u);
  EXPECT_EQ(attempt_limit(11), 11'000u);
  EXPECT_EQ(attempt_limit(kMost / 1000), kMost / 1000 * 1000);
  EXPECT_EQ(attempt_limit(kMost / 1000 + 1), kMost);
}

TEST(Batch, IsItsPiecesMergedInOrder) {
  const PreparedRequest request = build("holdem", {"QQ+,AKs", "**", "KdQd"}, "");
  for (const std::uint64_t threads : {1, 2, 3, 7}) {
    const auto batch = run_batch(request, 1001, 42, threads);
    ASSERT_TRUE(batch);
    ChunkTally merged(request.deal.seat_count);
    const std::uint64_t pieces = piece_count(1001, threads);
    for (std::uint64_t i = 0; i < pieces; ++i) {
      const Piece piece = piece_of(1001, 42, pieces, i);
      merged.merge(*sample_piece(request, piece.target, piece.seed));
    }
    // Merged in the same order, so equal to the bit.
    EXPECT_EQ(batch->sum(SeatSum::ShareSum), merged.sum(SeatSum::ShareSum)) << threads;
    EXPECT_EQ(batch->sum(SeatSum::WinCount), merged.sum(SeatSum::WinCount)) << threads;
    EXPECT_EQ(batch->attempts, merged.attempts) << threads;
    EXPECT_EQ(batch->samples, 1001u);
  }
}

TEST(Batch, ManyMorePiecesThanWorkersStillMergeInOrder) {
  const PreparedRequest request = build("holdem", {"AhKh", "QsQd"}, "");
  const auto batch = run_batch(request, 5000, 9, 5000);
  ASSERT_TRUE(batch);
  ChunkTally merged(request.deal.seat_count);
  for (std::uint64_t i = 0; i < 5000; ++i)
    merged.merge(*sample_piece(request, 1, 9 * kSeedMultiplier + i));
  EXPECT_EQ(batch->sum(SeatSum::ShareSum), merged.sum(SeatSum::ShareSum));
  EXPECT_EQ(batch->sum(SeatSum::ShareSquareSum), merged.sum(SeatSum::ShareSquareSum));
  EXPECT_EQ(batch->samples, 5000u);
}

// Six seats that each want a pair or two broadways from twelve cards: satisfiable, but hands
// drawn one by one almost never fit together.
PreparedRequest crowded() {
  return build("holdem", std::vector<std::string>(6, "QQ+, AK, AQ, KQ"), "");
}

TEST(Batch, GivesUpAfterTheAttemptLimit) {
  const PreparedRequest request = crowded();
  ASSERT_FALSE(request.deal.weighted);
  const auto piece = sample_piece(request, 5, 3);
  const auto plain = plain_piece(request, 5, 3);
  ASSERT_FALSE(piece);
  ASSERT_FALSE(plain);  // the plain loop passes the limit too
  const auto* error = std::get_if<RequestError>(&piece.error());
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->kind, RequestError::Kind::SamplerGaveUp);
  EXPECT_EQ(error->draws, 10'001u);
  EXPECT_LT(error->used, 5u);

  // A batch fails with one of its pieces' errors, each naming that piece's own limit.
  const auto batch = run_batch(request, 40, 3, 4);
  ASSERT_FALSE(batch);
  const auto* batch_error = std::get_if<RequestError>(&batch.error());
  ASSERT_NE(batch_error, nullptr);
  EXPECT_EQ(batch_error->draws, 10'001u);
}

TEST(Batch, NoSamplesIsAnEmptyTally) {
  const auto batch = run_batch(crowded(), 0, 1, 8);
  ASSERT_TRUE(batch);
  EXPECT_EQ(batch->samples, 0u);
  EXPECT_EQ(batch->attempts, 0u);
}

TEST(Batch, DefaultThreadCountIsCappedAtFour) {
  const std::size_t threads = default_thread_count();
  EXPECT_GE(threads, 1u);
  EXPECT_LE(threads, 4u);
  if (logical_processors() != 0) {
    EXPECT_EQ(threads, std::min<std::size_t>(logical_processors(), 4));
  }
}

}  // namespace
}  // namespace vantor::odds
