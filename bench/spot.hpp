#pragma once

// A spot written in the module's notation, and its request as the benchmarks build it.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "request/prepared_request.hpp"
#include "request/request.hpp"
#include "variants/equity.hpp"

namespace vantor::bench {

struct Spot {
  const char* name;
  const char* game;
  std::vector<std::string> hands;
  const char* board;
};

// The spot's request, or nothing (after printing why) when the builder refuses it.
inline std::optional<odds::PreparedRequest> build_spot(const Spot& spot) {
  const auto& game = **variants::find_variant(spot.game);
  auto built = odds::build_request_from_text(game, spot.hands, spot.board, "");
  if (!built) {
    std::printf("%-44s %-18s refused: %s\n", spot.name, spot.game, display(built.error()).c_str());
    return std::nullopt;
  }
  return std::move(*built);
}

}  // namespace vantor::bench
