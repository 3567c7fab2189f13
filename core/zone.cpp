#include "core/zone.h"

namespace velumar {

namespace {

char zoned(int digit, int zone) { return ZONED[static_cast<std::size_t>(10 * zone + digit)]; }

}  // namespace

void put_addr(char* dst, int num, int index) {
  // An index register outside 0..3 has no zone form; it is treated like an
  // address out of range so the caller's check reports it.
  if (num < 0 || num > 15999 || index < 0 || index > 3) {
    dst[0] = dst[1] = dst[2] = '#';
    return;
  }
  const int thousands = num / 1000;
  dst[0] = zoned(num / 100 % 10, thousands % 4);
  dst[1] = zoned(num / 10 % 10, index);
  dst[2] = zoned(num % 10, thousands / 4);
}

std::string num_to_addr(int num, int index) {
  std::string addr(3, ' ');
  put_addr(addr.data(), num, index);
  return addr;
}

}  // namespace velumar
