#include "odds/chunk.hpp"

#include <algorithm>
#include <cmath>

namespace vantor::odds {

namespace {

void add_into(std::vector<double>& into, const std::vector<double>& from) {
  for (std::size_t i = 0; i < into.size(); ++i) into[i] += from[i];
}

}  // namespace

ChunkTally::ChunkTally(std::size_t seat_count)
    : share_sum(seat_count),
      share_square_sum(seat_count),
      square_weight_share_sum(seat_count),
      win_count(seat_count),
      tie_count(seat_count),
      scoop_count(seat_count),
      low_share_sum(seat_count),
      high_win_count(seat_count),
      high_tie_count(seat_count),
      low_win_count(seat_count),
      low_tie_count(seat_count) {}

void ChunkTally::add(std::span<const double> share, std::span<const double> low_share,
                     double weight) {
  ++samples;
  weight_sum += weight;
  weight_square_sum += weight * weight;
  const bool low_awarded =
      std::any_of(low_share.begin(), low_share.end(), [](double l) { return l > kSomeShare; });
  const double high_bound = low_awarded ? kWholeHalf : kWholeHigh;
  const double square_weight = weight * weight;
  for (std::size_t j = 0; j < share.size(); ++j) {
    const double s = share[j];
    const double l = low_share[j];
    const double v = square_weight * s;
    share_sum[j] += weight * s;
    share_square_sum[j] += s * v;
    square_weight_share_sum[j] += v;
    low_share_sum[j] += weight * l;
    count_outcome(j, s, l, high_bound, weight);
  }
}

void ChunkTally::add_seat_outcome(std::size_t seat, double s, double l, bool low_awarded,
                                  std::uint64_t count) {
  const double n = static_cast<double>(count);
  share_sum[seat] += n * s;
  share_square_sum[seat] += n * (s * s);
  square_weight_share_sum[seat] += n * s;
  low_share_sum[seat] += n * l;
  count_outcome(seat, s, l, low_awarded ? kWholeHalf : kWholeHigh, n);
}

void ChunkTally::count_outcome(std::size_t j, double s, double l, double high_bound,
                               double weight) {
  if (s >= kWholePot) {
    win_count[j] += weight;
    scoop_count[j] += weight;
  } else if (s > 0) {
    tie_count[j] += weight;
  }
  const double h = s - l;
  if (h >= high_bound) {
    high_win_count[j] += weight;
  } else if (h > kSomeShare) {
    high_tie_count[j] += weight;
  }
  if (l >= kWholeHalf) {
    low_win_count[j] += weight;
  } else if (l > kSomeShare) {
    low_tie_count[j] += weight;
  }
}

void ChunkTally::add_unit_deals(std::uint64_t count) {
  samples += count;
  weight_sum += static_cast<double>(count);
  weight_square_sum += static_cast<double>(count);
}

void ChunkTally::merge(const ChunkTally& other) {
  if (samples > 0 && other.samples > 0) {
    exact = exact && other.exact;
  } else if (samples == 0) {
    exact = other.exact;
  }
  samples += other.samples;
  attempts += other.attempts;
  weight_sum += other.weight_sum;
  weight_square_sum += other.weight_square_sum;
  add_into(share_sum, other.share_sum);
  add_into(share_square_sum, other.share_square_sum);
  add_into(square_weight_share_sum, other.square_weight_share_sum);
  add_into(win_count, other.win_count);
  add_into(tie_count, other.tie_count);
  add_into(scoop_count, other.scoop_count);
  add_into(low_share_sum, other.low_share_sum);
  add_into(high_win_count, other.high_win_count);
  add_into(high_tie_count, other.high_tie_count);
  add_into(low_win_count, other.low_win_count);
  add_into(low_tie_count, other.low_tie_count);
}

SeatStatistics ChunkTally::seat_statistics(std::size_t j) const {
  double b = weight_sum;
  if (!(b > 0)) b = samples > 0 ? static_cast<double>(samples) : 1.0;
  SeatStatistics out;
  out.equity = share_sum[j] / b;
  out.win = win_count[j] / b;
  out.tie = tie_count[j] / b;
  out.low_equity = low_share_sum[j] / b;
  out.scoop = scoop_count[j] / b;
  out.high_win = high_win_count[j] / b;
  out.high_tie = high_tie_count[j] / b;
  out.low_win = low_win_count[j] / b;
  out.low_tie = low_tie_count[j] / b;
  if (!exact && samples >= 2) {
    // sqrt(sum w^2 (s - d)^2) / sum w, expanded so that it follows from the running sums.
    const double d = out.equity;
    const double v =
        d * d * weight_square_sum + (share_square_sum[j] - 2 * d * square_weight_share_sum[j]);
    out.std_error = std::sqrt(std::max(v, 0.0)) / b;
  }
  return out;
}

}  // namespace vantor::odds
