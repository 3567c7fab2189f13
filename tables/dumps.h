// Printed forms of the symbol and literal tables.
#pragma once

#include <optional>
#include <ostream>
#include <string_view>

namespace velumar {

class SymbolTable;
class LiteralTable;

/// Prints the symbol table: unsorted with the index prefix, 4 entries a
/// line, or sorted by name, 7 a line. Sorting works on a copy, so the
/// table's indexes stay valid. An empty table prints nothing.
void dump_symtab(const SymbolTable& table, std::ostream& out, std::optional<std::string_view> heading = std::nullopt,
                 bool sort = false);

/// Prints the literal table with its heading line.
void dump_lit_table(const LiteralTable& table, std::ostream& out);

}  // namespace velumar
