#include "core/zone.h"

namespace velumar {

namespace {

char zoned(int digit, int zone) { return ZONED[static_cast<std::size_t>(10 * zone + digit)]; }

}  // namespace

std::string num_to_addr(int num, int index) {
  // An index register outside 0..3 has no zone form; it is treated like an
  // address out of range so the caller's check reports it.
  if (num < 0 || num > 15999 || index < 0 || index > 3) return "###";
  const int thousands = num / 1000;
  std::string addr(3, ' ');
  addr[0] = zoned(num / 100 % 10, thousands % 4);
  addr[1] = zoned(num / 10 % 10, index);
  addr[2] = zoned(num % 10, thousands / 4);
  return addr;
}

}  // namespace velumar
