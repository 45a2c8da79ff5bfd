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

struct ChunkTally {
  std::vector<double> share_sum;                // sum w*s
  std::vector<double> share_square_sum;         // sum w^2*s^2
  std::vector<double> square_weight_share_sum;  // sum w^2*s
  std::vector<double> win_count;
  std::vector<double> tie_count;
  std::vector<double> scoop_count;
  std::vector<double> low_share_sum;  // sum w*l
  std::vector<double> high_win_count;
  std::vector<double> high_tie_count;
  std::vector<double> low_win_count;
  std::vector<double> low_tie_count;
  std::uint64_t samples = 0;
  std::uint64_t attempts = 0;  // kept by the sampling loop, never by add()
  double weight_sum = 0;
  double weight_square_sum = 0;
  bool exact = false;

  explicit ChunkTally(std::size_t seat_count = 0);

  std::size_t seat_count() const { return share_sum.size(); }

  // One deal: every seat's total share, its low part, and the deal's weight.
  void add(std::span<const double> share, std::span<const double> low_share, double weight);

  // `count` deals of weight 1 in which one seat got the same (share, low_share), in a deal that
  // did or did not award a low. The exact walk counts outcomes and adds them once at the end;
  // the sums equal adding the deals one by one, up to rounding. Deal-wide counters are left to
  // add_unit_deals().
  void add_seat_outcome(std::size_t seat, double share, double low_share, bool low_awarded,
                        std::uint64_t count);
  // `count` deals of weight 1, for the deal-wide counters only.
  void add_unit_deals(std::uint64_t count);

  // Adds another tally (same seat count) into this one.
  void merge(const ChunkTally& other);

  SeatStatistics seat_statistics(std::size_t seat) const;

 private:
  // Adds `weight` to the win, tie, high and low counts a seat's (share, low share) falls in.
  void count_outcome(std::size_t seat, double share, double low_share, double high_bound,
                     double weight);
};

}  // namespace vantor::odds
