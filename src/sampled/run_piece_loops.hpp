#pragma once

// run_piece()'s definition, for the files that instantiate it.

#include "sampled/direct_draw.hpp"
#include "sampled/direct_loop.hpp"
#include "sampled/fixed_seat_loop.hpp"
#include "sampled/general_loop.hpp"
#include "sampled/piece.hpp"
#include "sampled/run_piece.hpp"
#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"

namespace vantor::odds {

namespace run_piece_detail {

template <sampler::CardPicking kPicking, class Showdown>
Expected<ChunkTally, EngineError> direct_deals(Piece<Showdown>& piece, const DirectDraw& direct,
                                               std::uint64_t target,
                                               const sampler::Generator& generator,
                                               StopCheck* stop) {
  if (direct.fixed_seats()) {
    return fixed_seat_loop<kPicking>(piece, direct, target, generator, stop);
  }
  switch (direct.plans()) {
    case PlanLevel::NamedAndWild:
      if constexpr (Piece<Showdown>::Scorer::kSummaries) {
        if (direct.ranges()) {
          return direct_loop<kPicking, PlanLevel::NamedAndWild, true>(piece, direct, target,
                                                                      generator, stop);
        }
      }
      return direct_loop<kPicking, PlanLevel::NamedAndWild, false>(piece, direct, target, generator,
                                                                   stop);
    case PlanLevel::Listed:
      return direct_loop<kPicking, PlanLevel::Listed, false>(piece, direct, target, generator,
                                                             stop);
    case PlanLevel::Overlapping:
      break;
  }
  return direct_loop<kPicking, PlanLevel::Overlapping, false>(piece, direct, target, generator,
                                                              stop);
}

}  // namespace run_piece_detail

template <class Showdown>
Expected<ChunkTally, EngineError> run_piece(const PreparedRequest& request, std::size_t hand_size,
                                            std::uint64_t target, std::uint64_t seed,
                                            StopCheck* stop, const StreamOptions& options) {
  Piece<Showdown> piece(request, hand_size, options);
  const sampler::Generator generator = sampler::Generator::seeded(seed);
  if (target == 0) return ChunkTally(piece.seat_count);
  if (const auto direct = DirectDraw::of(request.deal)) {
    if (sampler::card_picking() == sampler::CardPicking::Deposit) {
      return run_piece_detail::direct_deals<sampler::CardPicking::Deposit>(piece, *direct, target,
                                                                           generator, stop);
    }
    return run_piece_detail::direct_deals<sampler::CardPicking::Broadword>(piece, *direct, target,
                                                                           generator, stop);
  }
  return general_loop(piece, target, generator, stop);
}

}  // namespace vantor::odds
