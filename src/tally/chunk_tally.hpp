#pragma once

// ChunkTally: what a batch of deals (sampled, or every deal of an exact walk) adds up to. Each
// deal arrives as every seat's share of the pot, the low part of it and the deal's weight; the
// tally keeps weighted sums from which equity, win/tie rates and the standard error follow.
// Counts are weighted sums, so they are doubles.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vantor::odds {

// A total share at least this large is a whole-pot win (1 - 2^-52: a pot split in floating
// point may add up to just under 1).
inline constexpr double kWholePot = 0.9999999999999998;
// The smallest share that counts as part of a pot.
inline constexpr double kSomeShare = 1e-9;
// A low share this large won the whole low half; also the high bound when a low was awarded.
inline constexpr double kWholeHalf = 0.499999999;
// The high bound when the deal awarded no low.
inline constexpr double kWholeHigh = 0.999999999;

// One seat's figures, each a weighted rate over the tally's deals.
struct SeatStatistics {
  double equity = 0;
  double win = 0;
  double tie = 0;
  double low_equity = 0;
  double scoop = 0;
  double high_win = 0;
  double high_tie = 0;
  double low_win = 0;
  double low_tie = 0;
  double std_error = 0;
};

// The per-seat weighted sums of a tally (s a seat's share of a deal, l its low share, w the deal's
// weight), in the order the result dictionary lists them. A new figure is one entry here and in
// kSeatSumNames, and its term in what a deal adds (chunk_tally.cpp); everything else goes by the
// list.
enum class SeatSum : std::uint8_t {
  ShareSum,              // sum w*s
  ShareSquareSum,        // sum w^2*s^2
  SquareWeightShareSum,  // sum w^2*s
  LowShareSum,           // sum w*l
  WinCount,              // the whole pot
  TieCount,              // part of it
  ScoopCount,            // the whole pot, both halves where there are two
  HighWinCount,          // the whole high half (the whole pot when no low was awarded)
  HighTieCount,          // part of the high half
  LowWinCount,           // the whole low half
  LowTieCount,           // part of the low half
};

// The dictionary key of each sum, by SeatSum.
inline constexpr std::array<const char*, 11> kSeatSumNames = {
    "share_sum",     "share_square_sum", "square_weight_share_sum",
    "low_share_sum", "win_count",        "tie_count",
    "scoop_count",   "high_win_count",   "high_tie_count",
    "low_win_count", "low_tie_count",
};
inline constexpr std::size_t kSeatSumCount = kSeatSumNames.size();
static_assert(static_cast<std::size_t>(SeatSum::LowTieCount) + 1 == kSeatSumCount);

struct ChunkTally {
  // Per SeatSum, one entry per seat.
  std::array<std::vector<double>, kSeatSumCount> sums;
  std::uint64_t samples = 0;
  std::uint64_t attempts = 0;  // kept by the sampling loop, never by add()
  double weight_sum = 0;
  double weight_square_sum = 0;
  bool exact = false;

  explicit ChunkTally(std::size_t seat_count = 0);

  std::size_t seat_count() const { return sums.front().size(); }

  std::vector<double>& sum(SeatSum which) { return sums[static_cast<std::size_t>(which)]; }
  const std::vector<double>& sum(SeatSum which) const {
    return sums[static_cast<std::size_t>(which)];
  }

  // One deal: every seat's total share, its low part, and the deal's weight.
  void add(std::span<const double> share, std::span<const double> low_share, double weight);

  // `count` deals of one weight in which one seat got the same (share, low_share), in a deal that
  // did or did not award a low. The exact walk and the sampling loop count outcomes and add them
  // once at the end; the sums equal adding the deals one by one, up to rounding. Deal-wide
  // counters are left to add_deals().
  void add_seat_outcome(std::size_t seat, double share, double low_share, bool low_awarded,
                        std::uint64_t count, double weight = 1.0);
  // `count` deals of one weight, for the deal-wide counters only.
  void add_deals(std::uint64_t count, double weight = 1.0);

  // Adds another tally (same seat count) into this one.
  void merge(const ChunkTally& other);

  SeatStatistics seat_statistics(std::size_t seat) const;
};

}  // namespace vantor::odds
