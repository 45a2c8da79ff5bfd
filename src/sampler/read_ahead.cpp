#include "sampler/read_ahead.hpp"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

#include "sampler/read_ahead_kernels.hpp"

namespace vantor::sampler {

namespace {

void plain_accept(const std::uint64_t* outputs, std::size_t count, const DrawRange* ranges,
                  std::size_t range_count, std::uint8_t* const* masks) {
  for (std::size_t m = 0; m < range_count; ++m) {
    for (std::size_t i = 0; i < count; i += 8) {
      unsigned byte = 0;
      for (unsigned k = 0; k < 8; ++k) byte |= unsigned{accepts(ranges[m], outputs[i + k])} << k;
      masks[m][i / 8] = static_cast<std::uint8_t>(byte);
    }
  }
}

constexpr StreamKernels kPlainKernels{fill_block_one_by_one, plain_accept};

// The vector kernels against the plain ones on two blocks of a fixed stream, with ranges of every
// kind: the same outputs, the same lanes after them, the same bits.
bool agrees_with_plain(const StreamKernels& kernels) {
  constexpr std::size_t kRanges = 9;
  constexpr DrawRange ranges[kRanges] = {{1, true},   {22, true},  {600'000, true},
                                         {48, false}, {47, false}, {2, false},
                                         {1, false},  {52, false}, {4'294'967'291, true}};
  struct Aligned {
    alignas(64) std::uint64_t outputs[kBlockLength];
  };
  auto plain = std::make_unique<Aligned>();
  auto vector = std::make_unique<Aligned>();
  std::vector<std::uint8_t> plain_bits(kRanges * kBlockLength / 8);
  std::vector<std::uint8_t> vector_bits(plain_bits.size());
  std::uint8_t* plain_masks[kRanges];
  std::uint8_t* vector_masks[kRanges];
  for (std::size_t m = 0; m < kRanges; ++m) {
    plain_masks[m] = plain_bits.data() + m * kBlockLength / 8;
    vector_masks[m] = vector_bits.data() + m * kBlockLength / 8;
  }
  LaneStates plain_lanes = lanes_from(Generator::seeded(0x5eed));
  LaneStates vector_lanes = plain_lanes;
  for (int block = 0; block < 2; ++block) {
    kPlainKernels.fill_block(plain_lanes, plain->outputs);
    kernels.fill_block(vector_lanes, vector->outputs);
    if (std::memcmp(plain->outputs, vector->outputs, sizeof plain->outputs) != 0 ||
        plain_lanes.words != vector_lanes.words) {
      return false;
    }
    kPlainKernels.accept(plain->outputs, kBlockLength, ranges, kRanges, plain_masks);
    kernels.accept(vector->outputs, kBlockLength, ranges, kRanges, vector_masks);
    if (plain_bits != vector_bits) return false;
  }
  return true;
}

const StreamKernels* checked(StreamPath path) {
  const StreamKernels* kernels = vector_kernels(path);
  if (kernels == nullptr || !can_take(path) || !agrees_with_plain(*kernels)) return nullptr;
  return kernels;
}

const StreamKernels* checked_avx2() {
  static const StreamKernels* const kernels = checked(StreamPath::Avx2);
  return kernels;
}

const StreamKernels* checked_avx512() {
  static const StreamKernels* const kernels = checked(StreamPath::Avx512);
  return kernels;
}

const StreamKernels* checked_kernels(StreamPath path) {
  switch (path) {
    case StreamPath::Avx2:
      return checked_avx2();
    case StreamPath::Avx512:
      return checked_avx512();
    case StreamPath::Portable:
      break;
  }
  return nullptr;
}

}  // namespace

const StreamKernels& kernels_for(StreamPath path) {
  const StreamKernels* kernels = checked_kernels(path);
  return kernels != nullptr ? *kernels : kPlainKernels;
}

bool kernels_agree(StreamPath path) { return checked_kernels(path) != nullptr; }

void ReadAhead::Free::operator()(std::uint64_t* block) const {
  ::operator delete[](block, std::align_val_t{64});
}

ReadAhead::ReadAhead(const Generator& generator, std::span<const DrawRange> ranges,
                     const StreamKernels& kernels)
    : kernels_(kernels),
      ranges_(ranges.begin(), ranges.end()),
      outputs_(static_cast<std::uint64_t*>(
          ::operator new[](kCapacity * sizeof(std::uint64_t), std::align_val_t{64}))),
      masks_(ranges.size() * kMaskStride, 0),
      lanes_(lanes_from(generator)),
      base_(0 - std::uint64_t{kKeep}) {
  assert(ranges.size() <= kMostRanges);
  assert(std::all_of(ranges.begin(), ranges.end(),
                     [](const DrawRange& range) { return range.range >> 32 == 0; }));
  std::fill(outputs_.get(), outputs_.get() + kKeep, 0);
  for (std::size_t m = 0; m < ranges_.size(); ++m) {
    mask_pointers_.push_back(masks_.data() + m * kMaskStride + kKeep / 8);
  }
  generate();
}

std::size_t ReadAhead::mask_of(const DrawRange& range) const {
  const auto found = std::find(ranges_.begin(), ranges_.end(), range);
  assert(found != ranges_.end());
  return static_cast<std::size_t>(found - ranges_.begin());
}

void ReadAhead::generate() {
  previous_block_state_ = block_state_;
  block_state_ = lanes_.lane(0);
  kernels_.fill_block(lanes_, outputs_.get() + kKeep);
  kernels_.accept(outputs_.get() + kKeep, kBlockLength, ranges_.data(), ranges_.size(),
                  mask_pointers_.data());
}

std::size_t ReadAhead::refill(std::size_t position) {
  assert(position >= kBlockLength && position <= kCapacity);
  std::memcpy(outputs_.get(), outputs_.get() + kBlockLength, kKeep * sizeof(std::uint64_t));
  for (std::size_t m = 0; m < ranges_.size(); ++m) {
    std::uint8_t* mask = masks_.data() + m * kMaskStride;
    std::memcpy(mask, mask + kBlockLength / 8, kKeep / 8);
  }
  base_ += kBlockLength;
  generate();
  return position - kBlockLength;
}

Generator ReadAhead::generator_at(std::size_t position) const {
  // Position kKeep is the newest block's first output; the kept ones before it end the block
  // before, which began kBlockLength outputs earlier.
  std::array<std::uint64_t, 4> state = block_state_;
  std::size_t steps = position - kKeep;
  if (position < kKeep) {
    state = previous_block_state_;
    steps = position + kBlockLength - kKeep;
  }
  for (std::size_t i = 0; i < steps; ++i) Generator::step(state);
  return Generator::from_state(state);
}

}  // namespace vantor::sampler
