// Prints generator outputs and uniform integers for the cases read from standard input, so that
// random_reference.py can compare them with its own implementation. One case per line:
//   raw <seed> <count>          the first <count> outputs after seeding
//   u32|u64|u128 <seed> <count> <range>   <count> successive uniforms in [0, range)
// Each case seeds a fresh generator and prints one line of decimal numbers.

#include <iostream>
#include <sstream>
#include <string>

#include "sampler/random.hpp"

namespace {

using vantor::sampler::Count;

Count parse_count(const std::string& text) {
  Count value = 0;
  for (const char digit : text) value = value * 10 + static_cast<unsigned>(digit - '0');
  return value;
}

std::string to_decimal(Count value) {
  if (value == 0) return "0";
  std::string digits;
  for (; value != 0; value /= 10)
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
  return digits;
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream fields(line);
    std::string kind, seed_text, count_text, range_text;
    fields >> kind >> seed_text >> count_text >> range_text;
    auto generator =
        vantor::sampler::Generator::seeded(static_cast<std::uint64_t>(parse_count(seed_text)));
    const auto count = static_cast<long>(parse_count(count_text));
    const Count range = parse_count(range_text);
    for (long i = 0; i < count; ++i) {
      Count value = 0;
      if (kind == "raw") value = generator.next();
      if (kind == "u32")
        value = vantor::sampler::uniform32(generator, static_cast<std::uint32_t>(range));
      if (kind == "u64")
        value = vantor::sampler::uniform64(generator, static_cast<std::uint64_t>(range));
      if (kind == "u128") value = vantor::sampler::uniform128(generator, range);
      std::cout << (i ? " " : "") << to_decimal(value);
    }
    // The next raw output shows how many outputs the values consumed: a range of 1 always
    // gives 0, and only this tells whether its rejected candidates were skipped.
    std::cout << (count ? " " : "") << to_decimal(generator.next()) << '\n';
  }
  return 0;
}
