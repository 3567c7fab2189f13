// Test support: operands built by hand, as the parser and pass 1 leave them.
#pragma once

#include <string_view>

#include "core/text.h"
#include "ir/operand.h"

namespace velumar {

/// An operand of kind `kind` whose number is `value` (a symbol or literal
/// index, an address or a count, as the kind says), with the offset, index
/// register, first two characters and label as written.
inline Operand opnd(OperandKind kind, int value = 0, int offset = 0, char index = ' ', std::string_view prefix = "  ",
                    std::string_view label = "") {
  Operand op;
  op.kind = kind;
  op.set_raw_value(value);
  op.offset = offset;
  op.index_reg = index;
  op.prefix = pad(prefix, 2);
  op.label = pad(label, 6);
  return op;
}

/// `op` with the adjustment X00 in place of its offset.
inline Operand x00(Operand op) {
  op.offset = 0;
  op.round_x00 = true;
  return op;
}

}  // namespace velumar
