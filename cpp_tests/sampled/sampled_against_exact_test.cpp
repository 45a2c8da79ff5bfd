// Sampled pieces against the exact walk on spots whose seats hold alternatives that allow
// different numbers of hands, with each sampler forced in turn (the pilot picks one; the request
// can be handed to either). The walk counts every hand once; before deals carried weights for
// this, the samplers weighed each alternative alike and missed these spots by hundreds of
// standard errors.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "exact/exact_walk.hpp"
#include "request/request.hpp"
#include "sampled/sampling_loop.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {
namespace {

struct Spot {
  const char* name;
  const char* game;
  std::vector<std::string> hands;
  const char* board;
  const char* dead = "";
};

void PrintTo(const Spot& spot, std::ostream* os) { *os << spot.name; }

const std::vector<Spot> kSpots = {
    {"AnyAceOrKings", "holdem", {"A*, KK", "QsQd"}, "2c 7d 9h"},
    {"AnyAceOrNamedKings", "holdem", {"A*, KhKd", "QsQd"}, "2c 7d 9h"},
    {"HeartsOrNamed", "holdem", {"hh, AsKs", "QsQd"}, "2c 7d 9h"},
    // Any ace or any king allow as many hands before the board; the board and the dead card leave
    // two aces and three kings.
    {"BoardAndDeadChangeTheCounts", "holdem", {"A*, K*", "QsQd"}, "Ah Kd 7c", "Ac"},
    {"TwoSeatsCompete", "holdem", {"A*, KK", "K*, AA"}, "2c 7d 9h"},
    {"OmahaNamedOrFourWildcards", "omaha", {"AhKhQdJd, ****", "TsTc9s8s"}, "2c 7d 9h 3s"},
    {"StudRanksOrNamed", "stud", {"Ah Ad Kc 7s 8d 2h, Q Q J T 9 3h", "2c 3c 4c 5d 6d 7h"}, ""},
};

class SampledAgainstExact : public testing::TestWithParam<std::tuple<Spot, bool>> {};

TEST_P(SampledAgainstExact, WithinFourAndAHalfStandardErrors) {
  const auto& [spot, weighted] = GetParam();
  const auto& game = **variants::find_variant(spot.game);
  auto request = build_request_from_text(game, spot.hands, spot.board, spot.dead);
  ASSERT_TRUE(request) << display(request.error());
  const auto walked = walk_exactly(*request);
  ASSERT_TRUE(walked && *walked);
  const ChunkTally& exact = **walked;
  // The weighted sampler needs every alternative to allow some hand.
  for (const auto& logs : request->deal.log_weights) {
    for (const double log : logs) ASSERT_TRUE(std::isfinite(log));
  }
  request->deal.weighted = weighted;
  EXPECT_TRUE(request->deal.deals_carry_weights());
  const auto sampled = sample_piece(*request, 300'000, 2024);
  ASSERT_TRUE(sampled) << display(sampled.error());
  // Weights that vary: fewer effective deals than deals (Cauchy-Schwarz).
  EXPECT_LT(sampled->weight_sum * sampled->weight_sum / sampled->weight_square_sum,
            0.99 * static_cast<double>(sampled->samples));
  for (std::size_t seat = 0; seat < spot.hands.size(); ++seat) {
    const SeatStatistics want = exact.seat_statistics(seat);
    const SeatStatistics got = sampled->seat_statistics(seat);
    ASSERT_GT(got.std_error, 0.0);
    EXPECT_LE(std::abs(got.equity - want.equity), 4.5 * got.std_error)
        << "seat " << seat << ": " << got.equity << " against " << want.equity;
  }
}

INSTANTIATE_TEST_SUITE_P(BothSamplers, SampledAgainstExact,
                         testing::Combine(testing::ValuesIn(kSpots), testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_weighted" : "_rejection");
                         });

}  // namespace
}  // namespace vantor::odds
