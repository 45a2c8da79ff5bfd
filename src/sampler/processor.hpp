#pragma once

// What the processor the module runs on can do, as the sampler's paths and the module's load
// check need it. Read once, with cpuid and xgetbv; this file is compiled for the plain x86-64
// baseline, so that asking is safe on any x86-64 processor, even one below the build's level.

#include <string>
#include <string_view>
#include <vector>

namespace vantor::sampler {

struct ProcessorFeatures {
  // The instruction sets of x86-64-v2, the level the module is built for.
  bool sse3 = false;
  bool ssse3 = false;
  bool sse4_1 = false;
  bool sse4_2 = false;
  bool popcnt = false;
  bool cx16 = false;
  bool lahf_sahf = false;
  // What the faster paths use.
  bool bmi1 = false;
  bool bmi2 = false;
  bool avx2 = false;
  bool avx512f = false;
  bool avx512bw = false;
  bool avx512dq = false;
  bool avx512vl = false;
  // Whether the operating system saves the wide registers across switches (xgetbv): without it
  // the AVX and AVX-512 instructions fault even where the processor has them.
  bool os_saves_ymm = false;
  bool os_saves_zmm = false;
  // Whether pdep runs in hardware (not on AMD processors before Zen 3, which run it in
  // microcode at hundreds of cycles).
  bool fast_deposit = false;
};

// This processor's features, read on the first call. On a processor other than x86-64 every
// feature reads false.
const ProcessorFeatures& processor_features();

// The instruction sets this build needs and `features` lacks, by name, in a fixed order; empty
// when the module runs on such a processor (always empty for a build that is not for x86-64).
std::vector<std::string_view> missing_instruction_sets(const ProcessorFeatures& features);

// The ImportError message for those missing instruction sets (not empty).
std::string missing_instruction_sets_message(const std::vector<std::string_view>& missing);

}  // namespace vantor::sampler
