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

ShareClass share_class(LiteralKind kind) {
  switch (kind) {
    case LiteralKind::AdconLit: return ShareClass::AddrOfLiteral;
    case LiteralKind::AddrCon: return ShareClass::AddrOfSymbol;
    case LiteralKind::AreaDef: return ShareClass::Area;
    default: return ShareClass::Constant;
  }
}

// Equal after padding the shorter text with blanks.
bool same_text(std::string_view a, std::string_view b) { return rtrim(a) == rtrim(b); }

}  // namespace

std::string lit_kind_name(LiteralKind kind) {
  const int n = static_cast<int>(kind);
  if (n < static_cast<int>(LiteralKind::AdconLit) || n > static_cast<int>(LiteralKind::NumLit))
    return std::string(kNameWidth, ' ');
  return std::string(kLiteralKindNames.substr(static_cast<std::size_t>(n - 1) * kNameWidth, kNameWidth));
}

void LiteralTable::init_lit_table() {
  last_pool_start_ = 1;
  count_ = 0;
  capacity_ = kInitialCapacity;
  lits_.clear();
  lits_.shrink_to_fit();
}

void LiteralTable::check_table_size(int n) {
  if (n <= capacity_) return;
  while (capacity_ < n) {
    capacity_ = capacity_ > std::numeric_limits<int>::max() / 2 ? std::numeric_limits<int>::max() : 2 * capacity_;
  }
}

int LiteralTable::create_lit(LiteralKind kind, int width, std::string_view text, int offset, char index,
                             std::string_view symbol_name) {
  int test_width = kLongestShared;
  if (!long_literals_ && kind == LiteralKind::CharLit) test_width = 4;
  if (!long_literals_ && kind == LiteralKind::NumLit) test_width = 6;

  const bool trace = rep_.traces.on('C');
  if (trace) rep_.out << "Literal " << rtrim(text);

  const FixedText<6> symbol = kind == LiteralKind::AddrCon ? symbol_name : std::string_view();
  if (width <= test_width) {
    const ShareClass wanted = share_class(kind);
    for (int i = std::max(last_pool_start_, 1); i <= count_; ++i) {
      const Literal& lit = (*this)[i];
      if (!same_text(lit.text, text)) continue;
      if (kind == LiteralKind::AreaDef) {
        // Any literal of the pool with this name makes the area a repeat.
        std::string name = text.size() < 6 ? pad(text, 6) : std::string(text);
        rep_.diag.do_error(name + " Previously defined area-defining literal " + std::string(rtrim(text)));
        if (trace) rep_.out << '\n';
        return i;
      }
      if (share_class(lit.kind) != wanted) continue;
      bool same = lit.width == width;
      if (same && wanted == ShareClass::AddrOfSymbol) same = lit.symbol == symbol;
      if (same) {
        if (trace) rep_.out << " found\n";
        return i;
      }
    }
  }

  const int num = count_ + 1;
  check_table_size(num);
  if (trace) rep_.out << " new\n";
  Literal& lit = lits_.emplace_back();
  lit.kind = kind;
  lit.width = width;
  lit.text = std::string(text);
  lit.offset = offset;
  lit.index_reg = index;
  lit.symbol = symbol;
  count_ = num;
  return num;
}

}  // namespace velumar
