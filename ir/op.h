// The operations of the source language as an `enum class Op`, one
// enumerator per row of the operation table (ir/opcodes.def). Records carry
// their operation as one of these; frontend/opcodes.h gives each row's
// traits and finds a row by its mnemonic.
#pragma once

namespace velumar {

enum class Op : unsigned char {
#define VELUMAR_OP(name, mnemonic, machine_op, a, b, d, writes) name,
#include "ir/opcodes.def"
#undef VELUMAR_OP
};

}  // namespace velumar
