// The stream read ahead against the stream read one output at a time: the lanes give the
// generator's outputs in order, every path's kernels give the plain kernels' outputs and bits, and
// a ReadAhead's outputs, bits, refills and states are the generator's.

#include "sampler/read_ahead.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "sampler/processor_paths.hpp"
#include "sampler/random.hpp"
#include "sampler/stream_lanes.hpp"

namespace vantor::sampler {
namespace {

struct Block {
  alignas(64) std::uint64_t outputs[kBlockLength];
};

constexpr StreamPath kVectorPaths[] = {StreamPath::Avx2, StreamPath::Avx512};

TEST(StreamLanes, ABlockIsTheGeneratorsNextOutputs) {
  for (const std::uint64_t seed : {0ull, 1ull, 0x9e3779b97f4a7c15ull}) {
    Generator generator = Generator::seeded(seed);
    LaneStates lanes = lanes_from(generator);
    auto block = std::make_unique<Block>();
    for (int round = 0; round < 3; ++round) {
      fill_block_one_by_one(lanes, block->outputs);
      for (std::size_t i = 0; i < kBlockLength; ++i) {
        ASSERT_EQ(block->outputs[i], generator.next())
            << "seed " << seed << " block " << round << " output " << i;
      }
    }
  }
}

TEST(StreamJump, MovesAStateAsSteppingDoes) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 20; ++round) {
    std::array<std::uint64_t, 4> state{random(), random(), random(), random()};
    std::array<std::uint64_t, 4> stepped = state;
    for (std::size_t i = 0; i < kLaneLength; ++i) Generator::step(stepped);
    EXPECT_EQ(lane_length_jump().apply(state), stepped);
    for (std::size_t i = 0; i < (kLanes - 2) * kLaneLength; ++i) Generator::step(stepped);
    EXPECT_EQ(next_block_jump().apply(state), stepped);
  }
}

// Ranges of every kind a deal draws at, drawn at random.
std::vector<DrawRange> random_ranges(std::mt19937_64& random, std::size_t count) {
  std::vector<DrawRange> ranges;
  while (ranges.size() < count) {
    DrawRange range;
    switch (random() % 4) {
      case 0:
        range = {1, true};
        break;
      case 1:
        range = {2 + random() % 1'000'000, true};
        break;
      case 2:
        range = {1 + random() % 52, false};
        break;
      default:
        range = {1 + (random() >> 33), random() % 2 == 0};
        break;
    }
    if (std::find(ranges.begin(), ranges.end(), range) == ranges.end()) ranges.push_back(range);
  }
  return ranges;
}

class VectorKernels : public ::testing::TestWithParam<StreamPath> {
 protected:
  void SetUp() override {
    if (!can_take(GetParam())) GTEST_SKIP() << "this processor cannot take the path";
  }
};

TEST_P(VectorKernels, PassTheirCheckAndAreChosenForThePath) {
  EXPECT_TRUE(kernels_agree(GetParam()));
  EXPECT_NE(&kernels_for(GetParam()), &kernels_for(StreamPath::Portable));
}

TEST_P(VectorKernels, GiveThePlainOutputsAndBits) {
  const StreamKernels& plain = kernels_for(StreamPath::Portable);
  const StreamKernels& vector = kernels_for(GetParam());
  std::mt19937_64 random(5);
  auto expected = std::make_unique<Block>();
  auto got = std::make_unique<Block>();
  for (int round = 0; round < 6; ++round) {
    LaneStates plain_lanes = lanes_from(Generator::seeded(random()));
    LaneStates vector_lanes = plain_lanes;
    plain.fill_block(plain_lanes, expected->outputs);
    vector.fill_block(vector_lanes, got->outputs);
    ASSERT_EQ(std::vector<std::uint64_t>(got->outputs, got->outputs + kBlockLength),
              std::vector<std::uint64_t>(expected->outputs, expected->outputs + kBlockLength));
    ASSERT_EQ(vector_lanes.words, plain_lanes.words);

    const std::vector<DrawRange> ranges = random_ranges(random, 1 + random() % 12);
    std::vector<std::vector<std::uint8_t>> want(ranges.size(),
                                                std::vector<std::uint8_t>(kBlockLength / 8));
    std::vector<std::vector<std::uint8_t>> bits = want;
    std::vector<std::uint8_t*> want_pointers, bit_pointers;
    for (std::size_t m = 0; m < ranges.size(); ++m) {
      want_pointers.push_back(want[m].data());
      bit_pointers.push_back(bits[m].data());
    }
    // Whole blocks, and counts that end inside a chunk and inside a group of the kernels' loops.
    const std::size_t count =
        round % 2 == 0 ? kBlockLength : kBlockLength - 16 * (1 + random() % 40);
    plain.accept(expected->outputs, count, ranges.data(), ranges.size(), want_pointers.data());
    vector.accept(got->outputs, count, ranges.data(), ranges.size(), bit_pointers.data());
    for (std::size_t m = 0; m < ranges.size(); ++m) {
      EXPECT_EQ(bits[m], want[m]) << "range " << ranges[m].range << (ranges[m].wide ? " wide" : "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, VectorKernels, ::testing::ValuesIn(kVectorPaths),
                         [](const auto& info) {
                           return std::string(stream_path_name(info.param));
                         });

// The plain kernels' bits are the uniforms' own decisions: drawing at a range consumes outputs up
// to and including the first one whose bit is set.
TEST(PlainKernels, BitsAreTheUniformsDecisions) {
  std::mt19937_64 random(3);
  const std::vector<DrawRange> ranges = random_ranges(random, 10);
  const ReadAhead ahead(Generator::seeded(77), ranges, kernels_for(StreamPath::Portable));
  for (std::size_t m = 0; m < ranges.size(); ++m) {
    Generator generator = Generator::seeded(77);
    std::size_t position = ReadAhead::start();
    for (int draw = 0; draw < 200; ++draw) {
      const std::uint64_t value =
          ranges[m].wide ? uniform64(generator, ranges[m].range)
                         : uniform32(generator, static_cast<std::uint32_t>(ranges[m].range));
      // The bits from `position` up to the output the uniform stopped at.
      const std::uint8_t* mask = ahead.mask_bytes(m);
      while ((mask[position / 8] >> (position % 8) & 1) == 0) ++position;
      EXPECT_EQ(value_of(ranges[m], ahead.outputs()[position]), value);
      ++position;
      ASSERT_EQ(ahead.consumed_before(position), 0u + position - ReadAhead::start());
      ASSERT_EQ(ahead.generator_at(position).state(), generator.state());
    }
  }
}

class ReadAheadPaths : public ::testing::TestWithParam<StreamPath> {
 protected:
  void SetUp() override {
    if (!can_take(GetParam())) GTEST_SKIP() << "this processor cannot take the path";
  }
};

// Over several blocks: the buffered stream gives the generator's outputs, each refill keeps the
// last outputs with their bits, and the state at every position is the generator's.
TEST_P(ReadAheadPaths, RefillsKeepTheStreamAndItsBits) {
  const std::vector<DrawRange> ranges = {{1, true}, {22, true}, {48, false}, {44, false}};
  ReadAhead ahead(Generator::seeded(9), ranges, kernels_for(GetParam()));
  Generator generator = Generator::seeded(9);
  BufferedStream stream(ahead, ReadAhead::start());
  std::uint64_t read = 0;
  while (read < 3 * kBlockLength + 1000) {
    const std::size_t position = stream.position() == ReadAhead::kCapacity ? 0 : stream.position();
    if (read % 997 == 0 && stream.position() != ReadAhead::kCapacity) {
      ASSERT_EQ(ahead.generator_at(position).state(), generator.state()) << read;
      ASSERT_EQ(ahead.consumed_before(position), read);
    }
    const std::uint64_t output = stream.next();
    ASSERT_EQ(output, generator.next()) << read;
    const std::size_t at = stream.position() - 1;
    for (std::size_t m = 0; m < ranges.size(); ++m) {
      const std::uint8_t* mask = ahead.mask_bytes(m);
      ASSERT_EQ((mask[at / 8] >> (at % 8) & 1) != 0, accepts(ranges[m], output)) << read;
    }
    ++read;
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, ReadAheadPaths,
                         ::testing::Values(StreamPath::Portable, StreamPath::Avx2,
                                           StreamPath::Avx512),
                         [](const auto& info) {
                           return std::string(stream_path_name(info.param));
                         });

}  // namespace
}  // namespace vantor::sampler
