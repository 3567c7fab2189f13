#include "pass1/column_checks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "core/card.h"
#include "core/spelling.h"
#include "core/text.h"

namespace velumar {

namespace {

constexpr int kLastColumn = kLastOperandColumn;

bool letter(char c) { return c >= 'A' && c <= 'Z'; }
bool digit(char c) { return c >= '0' && c <= '9'; }
bool alnum(char c) { return letter(c) || digit(c); }

// The character of column `c` (1-based), blank past the card.
char at(std::string_view card, int c) {
  return c >= 1 && c <= static_cast<int>(card.size()) ? card[static_cast<std::size_t>(c - 1)] : ' ';
}

// One item of an operand list: its text (a view into the card) and first column.
// Trivial, so that the list's spare slots cost nothing; they are never read.
struct Item {
  const char* data;
  std::size_t size;
  int first;
  std::string_view text() const { return {data, size}; }
};

// An operand list, held in place because every card is checked: at most
// one item per column of the operand field, and one more.
struct Items {
  std::array<Item, kLastColumn - kOperandColumn + 2> item;
  std::size_t count = 0;
  const Item* begin() const { return item.data(); }
  const Item* end() const { return item.data() + count; }
  std::size_t size() const { return count; }
  bool empty() const { return count == 0; }
  const Item& operator[](std::size_t i) const { return item[i]; }
};

// The operand list that starts in column `first`: items separated by
// commas, up to the first blank outside a character literal. `last` is set
// to its last column.
Items operand_items(std::string_view card, int first, int& last) {
  Items items;
  const int end = std::min(kLastColumn, static_cast<int>(card.size()));
  const auto column = [&](int c) { return card[static_cast<std::size_t>(c - 1)]; };
  int start = first;  // first column of the item being read
  const auto close_item = [&](int to) {
    items.item[items.count++] =
        Item{card.data() + (start - 1), static_cast<std::size_t>(to - start + 1), start};
  };
  int c = first;
  while (c <= end && column(c) != ' ') {
    if (column(c) == '@' && c == start) {
      // A character literal runs to its closing @, blanks included;
      // unterminated, it is only the @ itself.
      const std::size_t close = card.substr(0, static_cast<std::size_t>(end)).find('@', static_cast<std::size_t>(c));
      c = close == std::string_view::npos ? c + 1 : static_cast<int>(close) + 2;
      continue;
    }
    if (column(c) == ',') {
      close_item(c - 1);
      start = c + 1;
    }
    ++c;
  }
  close_item(c - 1);
  last = c - 1;
  if (items.count == 1 && items.item[0].size == 0) items.count = 0;
  return items;
}

// An item as an operand is written: a literal, or an address (a name, a
// number or *) with an offset.
bool operand_like(std::string_view item) {
  if (item.size() >= 2 && item.front() == '@' && item.back() == '@') return true;
  std::size_t i = 0;
  if (i < item.size() && item[i] == '*') {
    ++i;
  } else {
    const std::size_t start = i;
    while (i < item.size() && alnum(item[i])) ++i;
    if (i == start || i - start > 6) return false;
  }
  if (i < item.size() && (item[i] == '&' || item[i] == '-')) {
    ++i;
    const std::size_t start = i;
    while (i < item.size() && digit(item[i])) ++i;
    if (i == start) return false;
  }
  return i == item.size();
}

// How many operands the operation takes at most; 0 for none, -1 when the
// card's own rules say (DA, JOB, CTL and the editing operations).
constexpr int operand_limit_of(Op op) {
  const OpInfo& row = op_info(op);
  if (!is_pseudo(op)) {
    auto counts = [](FieldRule r) { return r == Need::Optional || r == Need::Required ? 1 : 0; };
    // A fixed device letter still takes the A operand (the unit, %U1); a
    // fixed d-modifier takes none.
    return (row.a == Need::Prohibited ? 0 : 1) + counts(row.b) + counts(row.d);
  }
  switch (op) {
    case Op::Dc:
    case Op::Dcw:
    case Op::Ds:
    case Op::Dsa:
    case Op::Equ:
    case Op::End:
    case Op::Ex:
    case Op::Org:
    case Op::Ltorg:
    case Op::Chain:
    case Op::Xfr: return 1;
    default: return -1;
  }
}

// The same for every operation, worked out once: every card asks.
constexpr auto kOperandLimits = [] {
  std::array<signed char, kOpTable.size()> limits{};
  for (std::size_t i = 0; i < limits.size(); ++i)
    limits[i] = static_cast<signed char>(operand_limit_of(static_cast<Op>(i)));
  return limits;
}();

int operand_limit(Op op) { return kOperandLimits[static_cast<std::size_t>(op)]; }

Diagnostic slip(DiagId id, std::initializer_list<std::string_view> args, int first, int last) {
  return diagnose(id, args).at(first, last);
}

// A letter or digit in column 5 joined to the label: the label is read from column 6.
void label_in_column_5(std::string_view card, std::vector<Diagnostic>& out) {
  if (!alnum(at(card, 5)) || !alnum(at(card, 6))) return;
  int last = 6;
  while (last < 12 && at(card, last + 1) != ' ') ++last;
  const std::string written(card.substr(4, static_cast<std::size_t>(last - 4)));
  Diagnostic d = slip(DiagId::LabelInColumn5, {written, written.substr(1)}, 5, last);
  d.notes.push_back(fix_it("move the label one column right, to start in column 6", 5, last + 1, " " + written));
  out.push_back(std::move(d));
}

// Operands written from column 22 or 23: column 21 is blank, so the
// operation has none and they are read as a remark.
void operands_past_21(std::string_view card, Op op, std::vector<Diagnostic>& out) {
  if (at(card, kOperandColumn) != ' ') return;
  const int first = at(card, 22) != ' ' ? 22 : at(card, 23) != ' ' ? 23 : 0;
  if (first == 0) return;
  const int limit = operand_limit(op);
  if (limit <= 0) return;
  int last = 0;
  const Items items = operand_items(card, first, last);
  if (items.empty() || static_cast<int>(items.size()) > limit) return;
  for (const Item& i : items)
    if (!operand_like(i.text())) return;
  // One word alone reads as a remark as well, unless the operation needs an operand.
  if (items.size() == 1 && op_info(op).a != Need::Required) return;
  const std::string text(card.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1)));
  const std::string name(rtrim(op_info(op).mnemonic));
  Diagnostic d = slip(DiagId::OperandsPast21, {text, std::to_string(first), name}, first, last);
  d.notes.push_back(fix_it("move the operands to start in column 21", kOperandColumn, last,
                           text + std::string(static_cast<std::size_t>(first - kOperandColumn), ' ')));
  out.push_back(std::move(d));
}

// Whether the operand list from column 21 shows any sign of a slip that
// operand_field reports: as many commas as the operation takes operands
// (LIMIT), an operand of digits run into a letter (when DIGITS_THEN_NAME
// counts), a character literal that holds a blank. One pass over the
// columns and nothing kept: nearly every card shows none, and every card
// is screened.
bool operand_field_suspect(std::string_view card, int limit, bool digits_then_name) {
  if (card.size() < kOperandColumn) return false;
  const char* p = card.data() + (kOperandColumn - 1);
  const char* const end = card.data() + std::min(kLastColumn, static_cast<int>(card.size()));
  int commas = 0;
  for (;;) {
    // At the start of an item: a character literal runs to its closing @.
    if (p < end && *p == '@') {
      const auto* close = static_cast<const char*>(std::memchr(p + 1, '@', static_cast<std::size_t>(end - p - 1)));
      if (close != nullptr) {
        if (std::memchr(p + 1, ' ', static_cast<std::size_t>(close - p - 1)) != nullptr) return true;
        p = close;
      }
      ++p;
    } else if (digits_then_name && p < end && digit(*p)) {
      while (p < end && digit(*p)) ++p;
      if (p < end && letter(*p)) return true;
    }
    while (p < end && *p != ' ' && *p != ',') ++p;
    if (p == end || *p == ' ') break;
    ++commas;
    ++p;
  }
  return limit > 0 && commas >= limit;
}

// Operands from column 21: a number run into letters, more operands than
// the operation takes, a literal closed by an @ of the remarks.
void operand_field(std::string_view card, Op op, bool statement_failed, std::vector<Diagnostic>& out) {
  if (at(card, kOperandColumn) == ' ') return;
  const int limit = operand_limit(op);
  const bool digits_then_name = op != Op::Dc && op != Op::Dcw && op != Op::Ds;
  if (limit < 0 || !operand_field_suspect(card, limit, digits_then_name)) return;
  int last = 0;
  const Items items = operand_items(card, kOperandColumn, last);
  if (digits_then_name) {
    for (const Item& i : items) {
      std::size_t digits = 0;
      while (digits < i.text().size() && digit(i.text()[digits])) ++digits;
      if (digits == 0 || digits >= i.text().size() || !letter(i.text()[digits])) continue;
      const int first = i.first;
      const int end = first + static_cast<int>(i.text().size()) - 1;
      Diagnostic d = slip(DiagId::NumberRunIntoName, {i.text(), i.text().substr(0, digits)}, first, end);
      const std::string rest(i.text().substr(digits));
      d.notes.push_back(fix_it("a symbol begins with a letter: write '" + rest + "' from column " +
                                   std::to_string(first),
                               first, end, rest + std::string(digits, ' ')));
      out.push_back(std::move(d));
      break;
    }
  }
  if (limit > 0 && static_cast<int>(items.size()) > limit && !statement_failed) {
    const Item& extra = items[static_cast<std::size_t>(limit)];
    const std::string surplus(
        card.substr(static_cast<std::size_t>(extra.first - 1), static_cast<std::size_t>(last - extra.first + 1)));
    const std::string name(rtrim(op_info(op).mnemonic));
    Diagnostic d = slip(DiagId::SurplusOperands,
                        {name, std::to_string(limit) + (limit == 1 ? " operand" : " operands"), surplus},
                        extra.first - 1, last);
    d.notes.push_back(fix_it("remove the operands after the " + std::to_string(limit) +
                                 (limit == 1 ? "st" : limit == 2 ? "nd" : "rd") + " one",
                             extra.first - 1, last, std::string(static_cast<std::size_t>(last - extra.first + 2), ' ')));
    out.push_back(std::move(d));
  }
  for (const Item& i : items) {
    if (i.text().size() < 2 || i.text().front() != '@') continue;
    const std::size_t blank = i.text().find(' ');
    if (blank == std::string::npos) continue;
    // The literal goes on past a blank: its closing @ is the right one when
    // an operand separator or the end of the operands follows it.
    const int close = i.first + static_cast<int>(i.text().size()) - 1;
    const char after = at(card, close + 1);
    if (after == ',' || (after == ' ' && i.text().find("   ") == std::string::npos)) continue;
    const int blank_col = i.first + static_cast<int>(blank);
    Diagnostic d =
        slip(DiagId::LiteralClosedInRemarks, {std::to_string(blank_col), std::to_string(close)}, i.first, close);
    d.notes.push_back({"if the literal ends before column " + std::to_string(blank_col) +
                           ", close it there with @; a literal that holds blanks must end in an @ followed by a "
                           "comma or a blank",
                       blank_col, blank_col});
    out.push_back(std::move(d));
  }
}

}  // namespace

Note fix_it(std::string text, int first, int last, std::string replacement) {
  Note n{std::move(text), first, last};
  n.replacement = std::move(replacement);
  return n;
}

std::string nearest_operation(std::string_view code) {
  std::vector<std::string_view> known;
  for (const OpInfo& row : kOpTable)
    if (!is_blank(row.mnemonic)) known.push_back(rtrim(row.mnemonic));
  return nearest_word(code, known);
}

std::vector<Diagnostic> column_slips(std::string_view card, Op op, bool statement_failed) {
  std::vector<Diagnostic> out;
  if (at(card, 6) == '*') return out;  // a comment card
  label_in_column_5(card, out);
  if (op == Op::Unknown) return out;
  operands_past_21(card, op, out);
  operand_field(card, op, statement_failed, out);
  if (op == Op::End && is_blank(card.substr(20, 52))) {
    Diagnostic d = slip(DiagId::EndWithoutStart, {}, 16, 18);
    // The table's hint concerns column 21, where the start address goes.
    for (Note& n : d.notes) n.first_col = n.last_col = 21;
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace velumar
