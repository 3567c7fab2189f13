// Three-character 1401 addresses: digits with the thousands in the zone
// bits of the hundreds and units characters and the index register in the
// zone bits of the tens character.
#pragma once

#include <string>
#include <string_view>

namespace velumar {

/// ZONED[10*z + d] is digit d carrying zone z (0 none, 1 A, 2 B, 3 A and B).
constexpr std::string_view ZONED = "0123456789'/STUVWXYZ!JKLMNOPQR?ABCDEFGHI";

/// The 3-character form of storage address `num` with index register
/// `index` (0..3); "###" when `num` is outside 0..15999.
std::string num_to_addr(int num, int index = 0);
/// The same three characters written at `dst`, for text built in place.
void put_addr(char* dst, int num, int index = 0);

}  // namespace velumar
