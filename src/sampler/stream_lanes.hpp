#pragma once

// The one seeded stream produced by several lanes at once. xoshiro256++'s state moves by a linear
// map over GF(2), so moving a state n outputs ahead is one 256 x 256 bit matrix, its columns the
// states n outputs after each single-bit state. The stream is cut into blocks of kLanes *
// kLaneLength outputs: lane i produces the block's outputs i * kLaneLength to (i + 1) *
// kLaneLength - 1, and then jumps (kLanes - 1) * kLaneLength outputs ahead, to its part of the
// next block. Read back lane by lane, a block is the stream's next outputs, in order and to the
// bit, so the lanes change nothing a seed deals.

#include <array>
#include <cstddef>
#include <cstdint>

#include "sampler/random.hpp"

namespace vantor::sampler {

inline constexpr std::size_t kLanes = 8;
inline constexpr std::size_t kLaneLength = 2048;
inline constexpr std::size_t kBlockLength = kLanes * kLaneLength;

// Every lane's state, word by word: words[w][lane] is word w of the lane's state, so that one
// vector load takes a word of several lanes.
struct LaneStates {
  alignas(64) std::array<std::array<std::uint64_t, kLanes>, 4> words{};

  std::array<std::uint64_t, 4> lane(std::size_t lane) const {
    return {words[0][lane], words[1][lane], words[2][lane], words[3][lane]};
  }
  void set_lane(std::size_t lane, const std::array<std::uint64_t, 4>& state) {
    for (std::size_t w = 0; w < 4; ++w) words[w][lane] = state[w];
  }
};

// A move of a state a fixed number of outputs ahead: columns[b] is where the state with only bit
// b set (bit b % 64 of word b / 64) lands.
struct StreamJump {
  alignas(64) std::array<std::array<std::uint64_t, 4>, 256> columns{};

  std::array<std::uint64_t, 4> apply(const std::array<std::uint64_t, 4>& state) const;
};

// The move kLaneLength outputs ahead, and the move (kLanes - 1) * kLaneLength outputs ahead that
// takes each lane from the end of its part of a block to its part of the next. Built on first use
// (a few milliseconds), then shared read-only by every thread.
const StreamJump& lane_length_jump();
const StreamJump& next_block_jump();

// The lanes of the block that starts at `generator`'s next output.
LaneStates lanes_from(const Generator& generator);

// A block produced one output at a time, lane by lane, and the lanes moved on to the next block:
// the definition the vector kernels are checked against.
void fill_block_one_by_one(LaneStates& lanes, std::uint64_t* block);

}  // namespace vantor::sampler
