#include "tables/dumps.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "core/text.h"
#include "tables/literals.h"
#include "tables/symtab.h"

namespace velumar {

namespace {

// One entry: blank, name, two blanks, value column (5), index column (3),
// appended to LINE (a string of its own for each would be allocated).
void append_symbol_entry(std::string& line, const Symbol& sym) {
  line += ' ';
  line += sym.label.view();
  line += "  ";
  const bool defined = sym.defined;
  const bool device = !is_blank(sym.device);
  if (!defined) {
    line += "UNDEF";
  } else if (device) {
    line += sym.device.view();
    line += "  ";
  } else {
    line += fmt_int(sym.value, 5);
  }
  if (defined && !device && sym.index_reg != 0) {
    line += "+X";
    line += fmt_int(sym.index_reg, 1);
  } else {
    line += "   ";
  }
}

}  // namespace

void dump_symtab(const SymbolTable& table, std::ostream& out, std::optional<std::string_view> heading, bool sort) {
  if (table.size() == 0) return;
  if (heading) out << "\n " << rtrim(*heading) << '\n';

  // The table itself keeps its order (operands and records hold its
  // indexes), so the sorted listing orders 4-byte positions, not records.
  const auto& symbols = table.symbols();
  std::vector<std::uint32_t> order;
  if (sort) {
    order.resize(symbols.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    // Character codes decide (string_view compares them unsigned), so a
    // blank (shorter name) sorts first. Names are unique in the table.
    std::sort(order.begin(), order.end(),
              [&symbols](std::uint32_t a, std::uint32_t b) { return symbols[a].label.view() < symbols[b].label.view(); });
  }
  const std::size_t per_line = sort ? 7 : 4;
  std::string line;
  for (std::size_t first = 0; first < symbols.size(); first += per_line) {
    line.clear();
    if (!sort) line = fmt_int(static_cast<std::int64_t>(first) + 1, 4) + ":";
    for (std::size_t i = first; i < std::min(first + per_line, symbols.size()); ++i)
      append_symbol_entry(line, symbols[sort ? order[i] : i]);
    out << line << '\n';
  }
}

void dump_lit_table(const LiteralTable& table, std::ostream& out) {
  out << "KIND        ADDR WIDTH OFFSET X TEXT\n";
  for (int i = 1; i <= table.count() && i <= table.capacity(); ++i) {
    const Literal& lit = table[i];
    out << lit_kind_name(lit.kind) << ' ' << fmt_int(lit.address, 6) << fmt_int(listed_width(lit), 6) << fmt_int(lit.offset, 7)
        << ' ' << lit.index_reg << ' ' << rtrim(lit.text) << '\n';
  }
}

}  // namespace velumar
