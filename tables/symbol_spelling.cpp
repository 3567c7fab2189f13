#include "tables/symbol_spelling.h"

#include "core/spelling.h"
#include "core/text.h"

#include <algorithm>

namespace velumar {

std::string nearest_symbol(const SymbolTable& table, std::string_view name) {
  const int limit = suggestion_limit(name);
  int best = limit + 1;
  std::string found;
  for (int i = 1; i <= table.size(); ++i) {
    const Symbol& sym = table[i];
    if (!sym.defined) continue;
    const std::string_view label = rtrim(sym.label);
    const int d = edit_distance(name, label, std::min(limit, best - 1));
    if (d < best && d > 0) {
      best = d;
      found = label;
    }
  }
  return found;
}

}  // namespace velumar
