// Symbols and literals of an assembled job with their definitions and uses,
// read from the symbol and literal tables and the job's records.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "driver/program_info.h"
#include "frontend/opcodes.h"
#include "ir/intermediate.h"

namespace velumar {

/// The operation of a record's card: Direct for a blank operation field,
/// Unknown for a comment or a mnemonic the table lacks.
Op statement_op(const RecordView& rec);

/// Card columns (first, last) of operand `k` (1-based) of `card`: operands
/// are separated by commas up to the first blank, and a character literal
/// between "@" signs may hold either. {0, 0} when the card has no such operand.
std::pair<int, int> operand_columns(std::string_view card, int k);

/// Every symbol of the job's symbol table, sorted by name, then every
/// literal in the order of the literal table, with definitions and uses.
std::vector<SymbolInfo> gather_symbols(const Context& ctx);

}  // namespace velumar
