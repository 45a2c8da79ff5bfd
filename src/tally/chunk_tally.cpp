#include "tally/chunk_tally.hpp"

#include <algorithm>
#include <cmath>

namespace vantor::odds {

namespace {

void add_into(std::vector<double>& into, const std::vector<double>& from) {
  for (std::size_t i = 0; i < into.size(); ++i) into[i] += from[i];
}

using Terms = std::array<double, kSeatSumCount>;

// What one deal of weight w adds to each sum of a seat whose share is s and low share l;
// high_bound is kWholeHalf when the deal awarded a low, else kWholeHigh. A figure the seat did
// not reach adds 0, which leaves a sum as it was to the bit.
Terms seat_terms(double s, double l, double w, double high_bound) {
  Terms terms{};
  const auto term = [&terms](SeatSum which) -> double& {
    return terms[static_cast<std::size_t>(which)];
  };
  const double square_weight_share = w * w * s;
  term(SeatSum::ShareSum) = w * s;
  term(SeatSum::ShareSquareSum) = s * square_weight_share;
  term(SeatSum::SquareWeightShareSum) = square_weight_share;
  term(SeatSum::LowShareSum) = w * l;
  if (s >= kWholePot) {
    term(SeatSum::WinCount) = w;
    term(SeatSum::ScoopCount) = w;
  } else if (s > 0) {
    term(SeatSum::TieCount) = w;
  }
  const double h = s - l;
  if (h >= high_bound) {
    term(SeatSum::HighWinCount) = w;
  } else if (h > kSomeShare) {
    term(SeatSum::HighTieCount) = w;
  }
  if (l >= kWholeHalf) {
    term(SeatSum::LowWinCount) = w;
  } else if (l > kSomeShare) {
    term(SeatSum::LowTieCount) = w;
  }
  return terms;
}

}  // namespace

ChunkTally::ChunkTally(std::size_t seat_count) {
  for (auto& sum : sums) sum.assign(seat_count, 0.0);
}

void ChunkTally::add(std::span<const double> share, std::span<const double> low_share,
                     double weight) {
  ++samples;
  weight_sum += weight;
  weight_square_sum += weight * weight;
  const bool low_awarded =
      std::any_of(low_share.begin(), low_share.end(), [](double l) { return l > kSomeShare; });
  const double high_bound = low_awarded ? kWholeHalf : kWholeHigh;
  for (std::size_t j = 0; j < share.size(); ++j) {
    const Terms terms = seat_terms(share[j], low_share[j], weight, high_bound);
    for (std::size_t k = 0; k < kSeatSumCount; ++k) sums[k][j] += terms[k];
  }
}

// `count` deals of one weight add count * term, as adding them one by one would up to rounding.
// With weight 1 every term is the share figure itself (1 * x is x exactly).
void ChunkTally::add_seat_outcome(std::size_t seat, double s, double l, bool low_awarded,
                                  std::uint64_t count, double weight) {
  const double n = static_cast<double>(count);
  const Terms terms = seat_terms(s, l, weight, low_awarded ? kWholeHalf : kWholeHigh);
  for (std::size_t k = 0; k < kSeatSumCount; ++k) sums[k][seat] += n * terms[k];
}

void ChunkTally::add_deals(std::uint64_t count, double weight) {
  const double n = static_cast<double>(count);
  samples += count;
  weight_sum += n * weight;
  weight_square_sum += n * (weight * weight);
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
  for (std::size_t k = 0; k < kSeatSumCount; ++k) add_into(sums[k], other.sums[k]);
}

SeatStatistics ChunkTally::seat_statistics(std::size_t j) const {
  double b = weight_sum;
  if (!(b > 0)) b = samples > 0 ? static_cast<double>(samples) : 1.0;
  SeatStatistics out;
  const auto rate = [&](SeatSum which) { return sum(which)[j] / b; };
  out.equity = rate(SeatSum::ShareSum);
  out.win = rate(SeatSum::WinCount);
  out.tie = rate(SeatSum::TieCount);
  out.low_equity = rate(SeatSum::LowShareSum);
  out.scoop = rate(SeatSum::ScoopCount);
  out.high_win = rate(SeatSum::HighWinCount);
  out.high_tie = rate(SeatSum::HighTieCount);
  out.low_win = rate(SeatSum::LowWinCount);
  out.low_tie = rate(SeatSum::LowTieCount);
  if (!exact && samples >= 2) {
    // sqrt(sum w^2 (s - d)^2) / sum w, expanded so that it follows from the running sums.
    const double d = out.equity;
    const double v = d * d * weight_square_sum + (sum(SeatSum::ShareSquareSum)[j] -
                                                  2 * d * sum(SeatSum::SquareWeightShareSum)[j]);
    out.std_error = std::sqrt(std::max(v, 0.0)) / b;
  }
  return out;
}

}  // namespace vantor::odds
