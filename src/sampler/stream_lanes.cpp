#include "sampler/stream_lanes.hpp"

namespace vantor::sampler {

namespace {

using State = std::array<std::uint64_t, 4>;

// The jump by `steps` outputs, column by column: each single-bit state stepped that far.
StreamJump jump_by_steps(std::size_t steps) {
  StreamJump jump;
  for (std::size_t b = 0; b < 256; ++b) {
    State state{};
    state[b / 64] = std::uint64_t{1} << (b % 64);
    for (std::size_t i = 0; i < steps; ++i) Generator::step(state);
    jump.columns[b] = state;
  }
  return jump;
}

// `jump` applied `times` times, column by column.
StreamJump repeated(const StreamJump& jump, std::size_t times) {
  StreamJump result;
  for (std::size_t b = 0; b < 256; ++b) {
    State state{};
    state[b / 64] = std::uint64_t{1} << (b % 64);
    for (std::size_t i = 0; i < times; ++i) state = jump.apply(state);
    result.columns[b] = state;
  }
  return result;
}

}  // namespace

State StreamJump::apply(const State& state) const {
  State moved{};
  for (std::size_t b = 0; b < 256; ++b) {
    // All ones where bit b of the state is set: the column is added without a branch.
    const std::uint64_t take = 0 - ((state[b / 64] >> (b % 64)) & 1);
    for (std::size_t w = 0; w < 4; ++w) moved[w] ^= columns[b][w] & take;
  }
  return moved;
}

const StreamJump& lane_length_jump() {
  static const StreamJump jump = jump_by_steps(kLaneLength);
  return jump;
}

const StreamJump& next_block_jump() {
  static const StreamJump jump = repeated(lane_length_jump(), kLanes - 1);
  return jump;
}

LaneStates lanes_from(const Generator& generator) {
  LaneStates lanes;
  State state = generator.state();
  const StreamJump& jump = lane_length_jump();
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    lanes.set_lane(lane, state);
    state = jump.apply(state);
  }
  return lanes;
}

void fill_block_one_by_one(LaneStates& lanes, std::uint64_t* block) {
  const StreamJump& jump = next_block_jump();
  for (std::size_t lane = 0; lane < kLanes; ++lane) {
    State state = lanes.lane(lane);
    for (std::size_t i = 0; i < kLaneLength; ++i) {
      block[lane * kLaneLength + i] = Generator::step(state);
    }
    lanes.set_lane(lane, jump.apply(state));
  }
}

}  // namespace vantor::sampler
