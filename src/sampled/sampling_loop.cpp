#include "sampled/sampling_loop.hpp"

#include <algorithm>
#include <limits>

#include "sampled/run_piece.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {

std::uint64_t attempt_limit(std::uint64_t target) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t scaled =
      target > kMost / kAttemptsPerSample ? kMost : target * kAttemptsPerSample;
  return std::max(kAttemptFloor, scaled);
}

Expected<ChunkTally, EngineError> sample_piece(const PreparedRequest& request, std::uint64_t target,
                                               std::uint64_t seed, StopCheck* stop,
                                               const StreamOptions& options) {
  using Sampled = Expected<ChunkTally, EngineError>;
  const std::size_t seat_count = request.deal.seat_count;
  const auto unprepared = [] {
    return Sampled{fail(EngineError{InternalFault{"a batch was given an unprepared request"}})};
  };
  if (seat_count == 0 || seat_count > variants::kMostSeats || request.game == nullptr) {
    return unprepared();
  }
  const std::size_t hand_size = request.seats.front().front().size();
  return variants::with_showdown(
      *request.game,
      [&](auto showdown) -> Sampled {
        using Showdown = decltype(showdown);
        const std::size_t count = hand_size + request.deal.board_size;
        if (!Showdown::holds(count)) {
          return fail(EngineError{cards::CardError::too_many_cards(count)});
        }
        return run_piece<Showdown>(request, hand_size, target, seed, stop, options);
      },
      unprepared);
}

}  // namespace vantor::odds
