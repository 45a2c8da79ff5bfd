#include "sampler/processor_paths.hpp"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace vantor::sampler {

namespace {

bool detect_fast_deposit() {
#if defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  if ((ebx & (1u << 8)) == 0) return false;  // no BMI2
  // The vendor string comes in EBX, EDX, ECX of leaf 0.
  __cpuid(0, eax, ebx, ecx, edx);
  char vendor[13] = {};
  std::memcpy(vendor, &ebx, 4);
  std::memcpy(vendor + 4, &edx, 4);
  std::memcpy(vendor + 8, &ecx, 4);
  const std::string_view name(vendor, 12);
  if (name == "AuthenticAMD" || name == "HygonGenuine") {
    // Zen 1 and 2 (family 0x17) and Hygon's Zen 1 (0x18) run pdep in microcode; Zen 3 is 0x19.
    __cpuid(1, eax, ebx, ecx, edx);
    unsigned family = (eax >> 8) & 0xF;
    if (family == 0xF) family += (eax >> 20) & 0xFF;
    return family >= 0x19;
  }
  return true;
#else
  return false;
#endif
}

const bool fast_deposit = detect_fast_deposit();

CardPicking initial_picking() {
  const char* forced = std::getenv("VANTOR_CARD_PICKING");
  if (forced != nullptr && std::string_view(forced) == "broadword") return CardPicking::Broadword;
  return fast_deposit ? CardPicking::Deposit : CardPicking::Broadword;
}

std::atomic<CardPicking> chosen{initial_picking()};

}  // namespace

CardPicking card_picking() { return chosen.load(std::memory_order_relaxed); }

bool deposit_is_fast() { return fast_deposit; }

bool set_card_picking(CardPicking picking) {
  if (picking == CardPicking::Deposit && !fast_deposit) {
    chosen.store(CardPicking::Broadword, std::memory_order_relaxed);
    return false;
  }
  chosen.store(picking, std::memory_order_relaxed);
  return true;
}

}  // namespace vantor::sampler
