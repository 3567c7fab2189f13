// The operation code table.
#pragma once

#include <array>
#include <string_view>

namespace velumar {

constexpr char REQ = '{';  ///< operand required
constexpr char PRO = '~';  ///< operand prohibited
constexpr char OPT = ' ';  ///< operand optional

struct OpCode {
  std::string_view OP;  ///< mnemonic, 5 characters blank padded
  char MachineOp;       ///< 1401 operation character, blank for pseudo-operations
  char A;               ///< REQ, PRO, OPT or a device letter
  char B;               ///< REQ, PRO or OPT
  char D;               ///< REQ, PRO, OPT or a fixed d-modifier
};

constexpr int NUM_OP_CODES = 117;
constexpr int OP_NOT_FOUND = 116;  ///< the end marker "#####"

extern const std::array<OpCode, NUM_OP_CODES> OP_CODES;

/// Row of the mnemonic `field` (columns 16-20, compared as 5 blank-padded
/// characters) among rows 1..last_row; OP_NOT_FOUND when none matches.
/// Pass 1 searches rows 1..115, pass 3 rows 1..116.
int find_op(std::string_view field, int last_row = 115);

/// True when a D code is a fixed d-modifier (none of REQ, PRO, OPT).
inline bool is_fixed_d(char d) { return d != REQ && d != PRO && d != OPT; }

}  // namespace velumar
