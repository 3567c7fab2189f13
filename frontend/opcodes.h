// The operation code table (ir/opcodes.def) as an `enum class Op` and
// the traits of each operation.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "ir/op.h"

namespace velumar {

/// What an operation needs in its A, B or D field.
enum class Need : unsigned char {
  Optional,
  Required,
  Prohibited,
  Fixed,  ///< a device letter (A) or d-modifier (D) that the operation supplies itself
};

/// The rule for one field: a Need, and the character of a Fixed one.
struct FieldRule {
  Need need = Need::Optional;
  char fixed = ' ';  ///< the device letter or d-modifier when `need` is Fixed

  // Implicit, so that the table can write a rule or a fixed character alike.
  constexpr FieldRule(Need n) : need(n) {}
  constexpr FieldRule(char c) : need(Need::Fixed), fixed(c) {}
  constexpr bool operator==(Need n) const { return need == n; }
};

/// The operands whose storage an operation writes, one bit each.
enum class Writes : unsigned char { None = 0, A = 1, B = 2, Both = 3 };

// Shorthands of the operation table.
constexpr FieldRule kReq{Need::Required};
constexpr FieldRule kPro{Need::Prohibited};
constexpr FieldRule kOpt{Need::Optional};
constexpr Writes kWr0 = Writes::None;
constexpr Writes kWrA = Writes::A;
constexpr Writes kWrB = Writes::B;
constexpr Writes kWrAB = Writes::Both;

struct OpInfo {
  std::string_view mnemonic;  ///< 5 characters, blank padded
  char machine_op;            ///< 1401 operation character, blank for pseudo-operations
  FieldRule a;                ///< or a fixed device letter
  FieldRule b;
  FieldRule d;                ///< or a fixed d-modifier
  Writes writes;              ///< the operands whose storage it writes
};

inline constexpr std::array kOpTable = {
#define VELUMAR_OP(name, mnemonic, machine_op, a, b, d, writes) OpInfo{mnemonic, machine_op, a, b, d, writes},
#include "ir/opcodes.def"
#undef VELUMAR_OP
};

constexpr const OpInfo& op_info(Op op) { return kOpTable[static_cast<std::size_t>(op)]; }

/// True when `op` writes the storage of operand `k` (1: A, 2: B).
constexpr bool writes_operand(Op op, int k) {
  const auto bits = static_cast<unsigned>(op_info(op).writes);
  return (k == 1 && (bits & 1U) != 0) || (k == 2 && (bits & 2U) != 0);
}

/// The operation whose mnemonic is `field` (columns 16-20, compared as 5
/// blank-padded characters); Op::Unknown when none is, and for a blank field.
Op find_op(std::string_view field);

/// The operation a card states: Direct when columns 16-18 are blank (the
/// operation character is in column 19), else the row columns 16-20 name.
/// A comment card or a diagnostic's text states none (Direct).
Op card_op(std::string_view card);

/// True for the rows without an operation character: the pseudo-operations,
/// and Direct, whose operation character is on the card.
constexpr bool is_pseudo(Op op) { return op_info(op).machine_op == ' '; }

}  // namespace velumar
