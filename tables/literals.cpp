#include "tables/literals.h"

#include <algorithm>
#include <limits>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::size_t kNameWidth = 9;
constexpr int kLongestShared = 52;

// Literals that may stand for one another when their texts are equal. A
// character and a numeric literal of equal text and width assemble the same
// way, so they share; an address constant must never be taken for a
// constant or an area (nor one address kind for the other), or the operand
// would receive storage of the wrong sort.
enum class ShareClass { Constant, AddrOfLiteral, AddrOfSymbol, Area };

ShareClass share_class(int kind) {
  switch (kind) {
    case L_ADCON_LIT: return ShareClass::AddrOfLiteral;
    case L_ADDR_CON: return ShareClass::AddrOfSymbol;
    case L_AREA_DEF: return ShareClass::Area;
    default: return ShareClass::Constant;
  }
}

// Equal after padding the shorter text with blanks.
bool same_text(std::string_view a, std::string_view b) { return rtrim(a) == rtrim(b); }

}  // namespace

std::string lit_kind_name(int kind) {
  if (kind < L_ADCON_LIT || kind > L_NUM_LIT) return std::string(kNameWidth, ' ');
  return std::string(LIT_NAMES.substr(static_cast<std::size_t>(kind - 1) * kNameWidth, kNameWidth));
}

void LiteralTable::init_lit_table() {
  LAST_LTORG = 1;
  NUM_LITS = 0;
  capacity_ = INIT_LIT_POOL_SIZE;
  lits_.assign(static_cast<std::size_t>(capacity_), Literal{});
  lits_.shrink_to_fit();
}

void LiteralTable::check_table_size(int N) {
  if (N <= capacity_) return;
  while (capacity_ < N) {
    capacity_ = capacity_ > std::numeric_limits<int>::max() / 2 ? std::numeric_limits<int>::max() : 2 * capacity_;
  }
  lits_.resize(static_cast<std::size_t>(capacity_));
}

int LiteralTable::create_lit(int KIND, int WIDTH, std::string_view TEXT, int OFFSET, char INDX,
                             std::string_view SYMBOL) {

  int test_width = kLongestShared;
  if (!LONG_LITS && KIND == L_CHAR_LIT) test_width = 4;
  if (!LONG_LITS && KIND == L_NUM_LIT) test_width = 6;

  const bool trace = rep_.traces.on('C');
  if (trace) rep_.out << "Literal " << rtrim(TEXT);

  const std::string symbol = KIND == L_ADDR_CON ? pad(SYMBOL, 6) : std::string();
  if (WIDTH <= test_width) {
    const ShareClass wanted = share_class(KIND);
    const int last = std::min(NUM_LITS, static_cast<int>(lits_.size()));
    for (int i = std::max(LAST_LTORG, 1); i <= last; ++i) {
      const Literal& lit = (*this)[i];
      if (!same_text(lit.TEXT, TEXT)) continue;
      if (KIND == L_AREA_DEF) {
        // Any literal of the pool with this name makes the area a repeat.
        std::string name = TEXT.size() < 6 ? pad(TEXT, 6) : std::string(TEXT);
        rep_.diag.do_error(name + " Previously defined area-defining literal " + std::string(rtrim(TEXT)));
        if (trace) rep_.out << '\n';
        return i;
      }
      if (share_class(lit.KIND) != wanted) continue;
      // The WIDTH of an address-of-literal record holds its target's index,
      // not a width: equal texts are the same literal.
      bool same = wanted == ShareClass::AddrOfLiteral || lit.WIDTH == WIDTH;
      if (same && wanted == ShareClass::AddrOfSymbol) same = lit.SYMBOL == symbol;
      if (same) {
        if (trace) rep_.out << " found\n";
        return i;
      }
    }
  }

  const int num = NUM_LITS + 1;
  check_table_size(num);
  if (trace) rep_.out << " new\n";
  Literal& lit = (*this)[num];
  lit = Literal{};
  lit.KIND = KIND;
  lit.WIDTH = WIDTH;
  lit.TEXT = std::string(TEXT);
  lit.OFFSET = OFFSET;
  lit.INDEX = INDX;
  lit.SYMBOL = symbol;
  NUM_LITS = num;
  return num;
}

}  // namespace velumar
