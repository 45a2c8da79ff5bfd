#include "sampler/processor.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace vantor::sampler {

namespace {

#if defined(__x86_64__)
bool has(unsigned word, unsigned bit) { return (word >> bit & 1) != 0; }

// The extended state the operating system saves, from xgetbv(0); only asked once cpuid says the
// processor has xgetbv at all (OSXSAVE).
std::uint64_t saved_state() {
  unsigned low = 0, high = 0;
  asm("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (std::uint64_t{high} << 32) | low;
}

ProcessorFeatures read_features() {
  ProcessorFeatures features;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  const unsigned most = __get_cpuid_max(0, nullptr);
  __cpuid(0, eax, ebx, ecx, edx);
  char vendor[13] = {};
  std::memcpy(vendor, &ebx, 4);
  std::memcpy(vendor + 4, &edx, 4);
  std::memcpy(vendor + 8, &ecx, 4);
  const std::string_view vendor_name(vendor, 12);

  unsigned family = 0;
  bool osxsave = false;
  if (most >= 1) {
    __cpuid(1, eax, ebx, ecx, edx);
    family = (eax >> 8) & 0xF;
    if (family == 0xF) family += (eax >> 20) & 0xFF;
    features.sse3 = has(ecx, 0);
    features.ssse3 = has(ecx, 9);
    features.cx16 = has(ecx, 13);
    features.sse4_1 = has(ecx, 19);
    features.sse4_2 = has(ecx, 20);
    features.popcnt = has(ecx, 23);
    osxsave = has(ecx, 27);
  }
  if (__get_cpuid_max(0x80000000, nullptr) >= 0x80000001) {
    __cpuid(0x80000001, eax, ebx, ecx, edx);
    features.lahf_sahf = has(ecx, 0);
  }
  if (osxsave) {
    const std::uint64_t state = saved_state();
    // SSE and AVX state (bits 1, 2); AVX-512 adds the opmask and both halves of zmm (5, 6, 7).
    features.os_saves_ymm = (state & 0x6) == 0x6;
    features.os_saves_zmm = features.os_saves_ymm && (state & 0xE0) == 0xE0;
  }
  if (most >= 7) {
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    features.bmi1 = has(ebx, 3);
    features.avx2 = has(ebx, 5);
    features.bmi2 = has(ebx, 8);
    features.avx512f = has(ebx, 16);
    features.avx512dq = has(ebx, 17);
    features.avx512bw = has(ebx, 30);
    features.avx512vl = has(ebx, 31);
  }
  // Zen 1 and 2 (family 0x17) and Hygon's Zen 1 (0x18) run pdep in microcode; Zen 3 is 0x19.
  const bool slow_deposit =
      (vendor_name == "AuthenticAMD" || vendor_name == "HygonGenuine") && family < 0x19;
  features.fast_deposit = features.bmi2 && !slow_deposit;
  return features;
}
#else
ProcessorFeatures read_features() { return {}; }
#endif

}  // namespace

const ProcessorFeatures& processor_features() {
  static const ProcessorFeatures features = read_features();
  return features;
}

std::vector<std::string_view> missing_instruction_sets(const ProcessorFeatures& features) {
  std::vector<std::string_view> missing;
#if defined(__x86_64__)
  // x86-64-v2, in the order its definition lists them.
  const std::array<std::pair<bool, std::string_view>, 7> level = {{
      {features.cx16, "CMPXCHG16B"},
      {features.lahf_sahf, "LAHF-SAHF"},
      {features.popcnt, "POPCNT"},
      {features.sse3, "SSE3"},
      {features.sse4_1, "SSE4.1"},
      {features.sse4_2, "SSE4.2"},
      {features.ssse3, "SSSE3"},
  }};
  for (const auto& [present, name] : level) {
    if (!present) missing.push_back(name);
  }
#else
  (void)features;
#endif
  return missing;
}

std::string missing_instruction_sets_message(const std::vector<std::string_view>& missing) {
  std::string message =
      "vantor is built for x86-64-v2 processors (those made since about 2009); this one lacks ";
  for (std::size_t i = 0; i < missing.size(); ++i) {
    if (i != 0) message += i + 1 == missing.size() ? " and " : ", ";
    message += missing[i];
  }
  return message;
}

}  // namespace vantor::sampler
