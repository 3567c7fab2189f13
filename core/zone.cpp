#include "core/zone.h"

#include <array>

#include "core/location.h"

namespace velumar {

namespace {

char zoned(int digit, int zone) { return ZONED[static_cast<std::size_t>(10 * zone + digit)]; }

// The hundreds, tens and units digits of 0..999: an address takes one
// division (by 1000) instead of four.
constexpr auto kDigits = [] {
  std::array<std::array<unsigned char, 3>, 1000> digits{};
  for (std::size_t n = 0; n < digits.size(); ++n)
    digits[n] = {static_cast<unsigned char>(n / 100), static_cast<unsigned char>(n / 10 % 10),
                 static_cast<unsigned char>(n % 10)};
  return digits;
}();

}  // namespace

void put_addr(char* dst, int num, int index) {
  // An index register outside 0..3 has no zone form; it is treated like an
  // address out of range so the caller's check reports it.
  if (!in_storage(num) || index < 0 || index > 3) {
    dst[0] = dst[1] = dst[2] = '#';
    return;
  }
  const int thousands = num / 1000;
  const auto& digits = kDigits[static_cast<std::size_t>(num - 1000 * thousands)];
  dst[0] = zoned(digits[0], thousands % 4);
  dst[1] = zoned(digits[1], index);
  dst[2] = zoned(digits[2], thousands / 4);
}

std::string num_to_addr(int num, int index) {
  std::string addr(3, ' ');
  put_addr(addr.data(), num, index);
  return addr;
}

}  // namespace velumar
