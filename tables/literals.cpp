#include "tables/literals.h"

#include <algorithm>
#include <functional>
#include <limits>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::size_t kNameWidth = 9;
constexpr std::size_t kFirstTextSlots = 256;  // a power of two
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
  by_text_.assign(kFirstTextSlots, 0);
  by_text_.shrink_to_fit();
  texts_ = 0;
}

// The slot of the literals whose text is `key` (no trailing blanks), or the
// free slot where they would go. Texts equal after padding the shorter
// one with blanks share a slot.
std::size_t LiteralTable::text_slot(std::string_view key) const {
  const std::size_t mask = by_text_.size() - 1;
  std::size_t s = std::hash<std::string_view>{}(key) & mask;
  while (by_text_[s] != 0 && rtrim((*this)[static_cast<int>(by_text_[s])].text) != key) s = (s + 1) & mask;
  return s;
}

// Literal `num`, just made, becomes the newest of its text.
void LiteralTable::index_text(std::size_t slot, int num) {
  Literal& lit = (*this)[num];
  lit.same_text_before = static_cast<int>(by_text_[slot]);
  if (by_text_[slot] == 0) ++texts_;
  by_text_[slot] = static_cast<std::uint32_t>(num);
  // Keep the index at most half full so that probes stay short.
  if (2 * texts_ > by_text_.size()) {
    std::vector<std::uint32_t> old(2 * by_text_.size(), 0);
    old.swap(by_text_);
    for (const std::uint32_t newest : old)
      if (newest != 0) by_text_[text_slot(rtrim((*this)[static_cast<int>(newest)].text))] = newest;
  }
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
  if (by_text_.empty()) by_text_.assign(kFirstTextSlots, 0);
  const std::size_t slot = text_slot(rtrim(text));
  if (width <= test_width) {
    // The earliest literal of the pool that may stand for this one: walk
    // the literals of equal text from the newest back to the pool's start.
    const ShareClass wanted = share_class(kind);
    const int pool_start = std::max(last_pool_start_, 1);
    int found = 0;
    for (int i = static_cast<int>(by_text_[slot]); i >= pool_start; i = (*this)[i].same_text_before) {
      const Literal& lit = (*this)[i];
      // Any literal of the pool with this name makes an area a repeat.
      if (kind == LiteralKind::AreaDef || (share_class(lit.kind) == wanted && lit.width == width &&
                                           (wanted != ShareClass::AddrOfSymbol || lit.symbol == symbol)))
        found = i;
    }
    if (found != 0 && kind == LiteralKind::AreaDef) {
      std::string name = text.size() < 6 ? pad(text, 6) : std::string(text);
      rep_.diag.do_error(diagnose(DiagId::AreaLiteralRedefined, {name, rtrim(text)}));
      if (trace) rep_.out << '\n';
      return found;
    }
    if (found != 0) {
      if (trace) rep_.out << " found\n";
      return found;
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
  index_text(slot, num);
  return num;
}

}  // namespace velumar
