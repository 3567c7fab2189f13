// The "did you mean" of an undefined symbol: the defined symbol nearest to it.
#pragma once

#include <string>
#include <string_view>

#include "tables/symtab.h"

namespace velumar {

/// The defined symbol of `table` nearest to `name` within a small edit
/// distance (the first of several as near); empty when none is.
std::string nearest_symbol(const SymbolTable& table, std::string_view name);

}  // namespace velumar
