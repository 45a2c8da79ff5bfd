// The processor checks with the processor's features made up: what the module's load refuses, and
// which read-ahead paths a processor can take.

#include "sampler/processor.hpp"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "sampler/processor_paths.hpp"

namespace vantor::sampler {
namespace {

ProcessorFeatures level_two() {
  ProcessorFeatures features;
  features.sse3 = features.ssse3 = features.sse4_1 = features.sse4_2 = true;
  features.popcnt = features.cx16 = features.lahf_sahf = true;
  return features;
}

ProcessorFeatures with_avx2() {
  ProcessorFeatures features = level_two();
  features.avx2 = features.bmi1 = features.bmi2 = features.os_saves_ymm = true;
  return features;
}

ProcessorFeatures with_avx512() {
  ProcessorFeatures features = with_avx2();
  features.avx512f = features.avx512bw = features.avx512dq = features.avx512vl = true;
  features.os_saves_zmm = true;
  return features;
}

TEST(MissingInstructionSets, NoneOnAnX8664V2Processor) {
  EXPECT_TRUE(missing_instruction_sets(level_two()).empty());
  EXPECT_TRUE(missing_instruction_sets(with_avx512()).empty());
  // The processor these tests run on loaded the module's engine: it has what the build needs.
  EXPECT_TRUE(missing_instruction_sets(processor_features()).empty());
}

TEST(MissingInstructionSets, NamesEachOneMissingInOrder) {
#if defined(__x86_64__)
  ProcessorFeatures features = level_two();
  features.popcnt = false;
  features.sse4_2 = false;
  const std::vector<std::string_view> missing = missing_instruction_sets(features);
  EXPECT_EQ(missing, (std::vector<std::string_view>{"POPCNT", "SSE4.2"}));
  EXPECT_EQ(missing_instruction_sets_message(missing),
            "vantor is built for x86-64-v2 processors (those made since about 2009); this one "
            "lacks POPCNT and SSE4.2");
  // A processor of the plain x86-64 baseline lacks all seven.
  EXPECT_EQ(missing_instruction_sets(ProcessorFeatures{}).size(), 7u);
  EXPECT_EQ(missing_instruction_sets_message({"CMPXCHG16B", "LAHF-SAHF", "POPCNT"}),
            "vantor is built for x86-64-v2 processors (those made since about 2009); this one "
            "lacks CMPXCHG16B, LAHF-SAHF and POPCNT");
#else
  GTEST_SKIP() << "only x86-64 builds have a level to check";
#endif
}

TEST(CanTake, EachPathNeedsItsInstructionsAndTheOperatingSystemsSupport) {
  EXPECT_TRUE(can_take(StreamPath::Portable, ProcessorFeatures{}));
  EXPECT_FALSE(can_take(StreamPath::Avx2, level_two()));
  EXPECT_TRUE(can_take(StreamPath::Avx2, with_avx2()));
  EXPECT_FALSE(can_take(StreamPath::Avx512, with_avx2()));
  EXPECT_TRUE(can_take(StreamPath::Avx512, with_avx512()));

  ProcessorFeatures unsaved = with_avx512();
  unsaved.os_saves_zmm = false;  // the operating system does not save the wide registers
  EXPECT_FALSE(can_take(StreamPath::Avx512, unsaved));
  EXPECT_TRUE(can_take(StreamPath::Avx2, unsaved));
  unsaved.os_saves_ymm = false;
  EXPECT_FALSE(can_take(StreamPath::Avx2, unsaved));

  ProcessorFeatures no_bmi2 = with_avx512();
  no_bmi2.bmi2 = false;  // the walk needs it
  EXPECT_FALSE(can_take(StreamPath::Avx2, no_bmi2));
  EXPECT_FALSE(can_take(StreamPath::Avx512, no_bmi2));

  ProcessorFeatures no_dq = with_avx512();
  no_dq.avx512dq = false;
  EXPECT_FALSE(can_take(StreamPath::Avx512, no_dq));
}

// The process's path is one this processor can take, and forcing one it cannot is refused.
TEST(StreamPathChoice, IsOneTheProcessorCanTake) {
  const StreamPath chosen = stream_path();
  EXPECT_TRUE(can_take(chosen));
  for (const StreamPath path : {StreamPath::Portable, StreamPath::Avx2, StreamPath::Avx512}) {
    EXPECT_EQ(set_stream_path(path), can_take(path)) << stream_path_name(path);
  }
  ASSERT_TRUE(set_stream_path(chosen));
  EXPECT_EQ(stream_path(), chosen);
}

}  // namespace
}  // namespace vantor::sampler
