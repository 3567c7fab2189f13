// The operation code table (frontend/opcodes.def) as an `enum class Op` and
// the traits of each operation.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace velumar {

constexpr char REQ = '{';  ///< operand required
constexpr char PRO = '~';  ///< operand prohibited
constexpr char OPT = ' ';  ///< operand optional

enum class Op : unsigned char {
#define VELUMAR_OP(name, mnemonic, machine_op, a, b, d) name,
#include "frontend/opcodes.def"
#undef VELUMAR_OP
};

struct OpInfo {
  std::string_view mnemonic;  ///< 5 characters, blank padded
  char machine_op;            ///< 1401 operation character, blank for pseudo-operations
  char a;                     ///< REQ, PRO, OPT or a device letter
  char b;                     ///< REQ, PRO or OPT
  char d;                     ///< REQ, PRO, OPT or a fixed d-modifier
};

inline constexpr std::array kOpTable = {
#define VELUMAR_OP(name, mnemonic, machine_op, a, b, d) OpInfo{mnemonic, machine_op, a, b, d},
#include "frontend/opcodes.def"
#undef VELUMAR_OP
};

constexpr const OpInfo& op_info(Op op) { return kOpTable[static_cast<std::size_t>(op)]; }

/// The operation whose mnemonic is `field` (columns 16-20, compared as 5
/// blank-padded characters); Op::Unknown when none is, and for a blank field.
Op find_op(std::string_view field);

/// True for the rows without an operation character: the pseudo-operations,
/// and Direct, whose operation character is on the card.
constexpr bool is_pseudo(Op op) { return op_info(op).machine_op == ' '; }

/// True when a D code is a fixed d-modifier (none of REQ, PRO, OPT).
inline bool is_fixed_d(char d) { return d != REQ && d != PRO && d != OPT; }

}  // namespace velumar
