// What each operation code does, in words, for hover and completion.
#pragma once

#include <string>
#include <string_view>

#include "frontend/opcodes.h"

namespace velumar::lsp {

/// A one-line description of `op`; empty for the rows that are no operation.
std::string_view op_description(Op op);
/// The operand forms and machine code of `op` from the operation table, one
/// line: "A-field required, B-field prohibited, d-modifier `R`; machine code `M`".
std::string op_forms(Op op);
/// The mnemonic of `op` without its padding.
std::string_view op_name(Op op);

}  // namespace velumar::lsp
