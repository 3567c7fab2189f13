#include "tables/pools.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "core/card.h"
#include "core/location.h"
#include "core/text.h"
#include "tables/layout.h"

namespace velumar {

namespace {

// Longest texts whose card image still holds the closing "@" within the
// operand field (columns 21-80): "@" text "@" and "+@" text "@".
constexpr int kMaxCharText = 58;
constexpr int kMaxAdconText = 57;

// A trace line in list-directed style: the line opens with a blank and
// every number or logical value is set off from the text before it by one
// blank (none is added after text that already ends in one).
class ListLine {
 public:
  ListLine& text(std::string_view s) {
    text_ += s;
    return *this;
  }
  ListLine& num(int v) {
    separate();
    text_ += std::to_string(v);
    return *this;
  }
  ListLine& flag(bool b) {
    separate();
    text_ += b ? 'T' : 'F';
    return *this;
  }
  std::string line() const { return " " + text_ + "\n"; }

 private:
  void separate() {
    if (text_.empty() || text_.back() != ' ') text_ += ' ';
  }
  std::string text_;
};

// The card image of a generated DCW: label from column 6, operation from
// column 16, operand from column 21.
std::string dcw_card(std::string_view label, std::string_view operand) {
  // Laid over a blank card in place: one allocation a pool line.
  constexpr auto kLabel = std::size_t{kLabelColumn - 1}, kLabelWidth = std::size_t{kOperationColumn - kLabelColumn};
  constexpr auto kOperation = std::size_t{kOperationColumn - 1}, kOperand = std::size_t{kOperandColumn - 1};
  constexpr auto kCard = std::size_t{kCardColumns};
  std::string line(kCard, ' ');
  line.replace(kLabel, std::min(label.size(), kLabelWidth), label.substr(0, kLabelWidth));
  line.replace(kOperation, 3, "DCW");
  const std::string_view shown = operand.substr(0, std::min(operand.size(), kCard - kOperand));
  line.replace(kOperand, shown.size(), shown);
  return line;
}

std::string first_chars(std::string_view text, int n) { return pad(text, static_cast<std::size_t>(std::max(n, 0))); }

// "#" and the width with at least two digits.
std::string area_operand(int width) {
  std::string digits = std::to_string(std::max(width, 0));
  if (digits.size() < 2) digits.insert(0, 1, '0');
  return "#" + digits;
}

// The sign a literal's text starts with, as the sign column of a DCW card
// gives its constant.
Sign leading_sign(std::string_view text) { return text.empty() ? Sign::None : sign_of(text.front()); }

// The first literal the next pool places: past `up_to`, and never back
// into literals an earlier pool has placed.
int next_pool_start(const LiteralTable& lits, int last_pool_start, int up_to) {
  return std::max(last_pool_start, std::min(up_to, lits.count()) + 1);
}

// A duplicate area label is an error of the literal's record, not of the
// statement whose pool this is: it is counted and reported, and the
// statement's own error flag stays as it was.
void report_for_literal(Diagnostics& diag, Diagnostic d) {
  const Diagnostics::KeepStatement keep(diag);
  diag.do_error(std::move(d));
}

// One pool being placed: where it stands and what it writes.
class PoolPlacer {
 public:
  PoolPlacer(const PoolTables& tables, int p, IntermediateFile* emit) : t_(tables), p_(p), emit_(emit) {}

  int place(int up_to) {
    LiteralTable& lits = t_.literals;
    trace_entry(up_to);
    for (int i = std::max(lits.last_pool_start(), 1); i <= up_to && lits.valid(i); ++i) place_one(i, lits[i]);
    lits.set_last_pool_start(next_pool_start(lits, lits.last_pool_start(), up_to));
    if (tracing()) t_.rep.out << ListLine().text("Exit PROCESS_LTORG with P =").num(p_).line();
    return p_;
  }

 private:
  bool tracing() const { return t_.rep.traces.on('P'); }

  void place_one(int i, Literal& lit) {
    Operand op;
    Record rec = record_of(lit, op);
    rec.literal = i;
    rec.location = p_;
    rec.width = literal_width(lit);
    lit.address = layout::label_value(p_, rec.width, true);  // its rightmost position
    if (emit_ != nullptr) emit_->write(rec, rec.card, std::span<const Operand>(&op, 1));
    p_ = layout::advance(p_, rec.width);
    trace_literal(i, lit);
  }

  // The kind, card image and label of the literal's record, and its one
  // operand in `op` with the constant's sign. Each literal carries its own
  // error code.
  Record record_of(const Literal& lit, Operand& op) {
    Record rec;
    rec.kind = RecordKind::Literal;
    rec.op = Op::Dcw;
    op.index_reg = lit.index_reg;
    switch (lit.kind) {
      case LiteralKind::AreaDef:
        rec.kind = RecordKind::Area;
        rec.card = dcw_card(first_chars(lit.text, 10), area_operand(lit.width));
        rec.label = area_label(lit);
        op.kind = OperandKind::AreaDef;
        op.index_reg = ' ';
        op.sign = Sign::None;
        break;
      case LiteralKind::CharLit:
        rec.card = dcw_card("", "@" + first_chars(lit.text, std::min(lit.width, kMaxCharText)) + "@");
        op.kind = OperandKind::CharLit;
        op.sign = Sign::None;
        break;
      case LiteralKind::AdconLit:
        rec.card = dcw_card("", "+@" + adcon_target_text(lit.target) + "@");
        op.set_literal(lit.target);  // the character literal it points at
        op.kind = OperandKind::AdconLit;
        op.sign = Sign::Plus;  // its card writes "+@"
        break;
      case LiteralKind::AddrCon: {
        // The name is found by lexing the text after its sign, as every
        // name is; the name stored at creation already carries the suffix.
        if (t_.lexer != nullptr) {
          int start = 2;
          int end = 0;
          (void)t_.lexer->lex(lit.text, start, end);
        }
        const std::optional<int> symbol =
            is_blank(lit.symbol) ? std::nullopt : symbol_index(t_.symtab.lookup(lit.symbol));
        rec.kind = RecordKind::AddressConstant;
        rec.card = dcw_card("", lit.text);
        if (!symbol) rec.flag = err::SymErr;
        op.set_constant_symbol(symbol);
        op.kind = OperandKind::AddrCon;
        op.offset = lit.offset;
        op.sign = leading_sign(lit.text);
        break;
      }
      default:
        rec.card = dcw_card("", lit.text);
        op.kind = OperandKind::Actual;
        op.sign = leading_sign(lit.text);
        break;
    }
    return rec;
  }

  // The symbol index of an area's label. Pass 1 defines it at the area's
  // last position; pass 2 defines area labels from their own records, which
  // also counts the definition as progress of its sweep, so here it only
  // looks the label up.
  std::optional<int> area_label(const Literal& lit) {
    const std::string label = pad(lit.text, 6);
    if (emit_ == nullptr) return symbol_index(t_.symtab.lookup(label));
    // An undetermined location defines nothing: the label stays a reference
    // and pass 2 gives it its address. Only a definition can be a duplicate;
    // pass 3 reports a label whose value differs from where its area ends up.
    const std::optional<int> value =
        p_ >= 0 ? std::optional<int>(layout::label_value(p_, lit.width, true)) : std::nullopt;
    const auto entered = t_.symtab.enter(label, value, 0);
    if (entered.duplicate)
      report_for_literal(t_.rep.diag, diagnose(DiagId::DuplicateLabel, {rtrim(label)}));
    return symbol_index(entered.index);
  }

  std::string adcon_target_text(int target) const {
    const LiteralTable& lits = t_.literals;
    if (!lits.valid(target)) return {};
    return first_chars(lits[target].text, std::min(lits[target].width, kMaxAdconText));
  }

  void trace_entry(int up_to) const {
    if (!tracing()) return;
    t_.rep.out << ListLine()
                      .text("Enter PROCESS_LTORG with P =")
                      .num(p_)
                      .text(" and EMIT = ")
                      .flag(emit_ != nullptr)
                      .text(" to process")
                      .num(t_.literals.last_pool_start())
                      .text(" through")
                      .num(up_to)
                      .line();
  }

  void trace_literal(int i, const Literal& lit) const {
    if (!tracing()) return;
    t_.rep.out << ListLine()
                      .text("Literals(")
                      .num(i)
                      .text(")addr =")
                      .num(lit.address)
                      .text(", %kind = ")
                      .text(rtrim(lit_kind_name(lit.kind)))
                      .text(", %width =")
                      .num(listed_width(lit))
                      .text(", %text = ")
                      .text(rtrim(lit.text))
                      .text(", %offset = ")
                      .num(lit.offset)
                      .line();
  }

  const PoolTables& t_;
  int p_;
  IntermediateFile* emit_;
};

}  // namespace

int literal_width(const Literal& lit) {
  return lit.kind == LiteralKind::AdconLit || lit.kind == LiteralKind::AddrCon ? 3 : lit.width;
}

int pool_end(const LiteralTable& lits, int p, int& last_pool_start, int up_to) {
  for (int i = std::max(last_pool_start, 1); i <= up_to && lits.valid(i); ++i)
    p = layout::advance(p, literal_width(lits[i]));
  last_pool_start = next_pool_start(lits, last_pool_start, up_to);
  return p;
}

int process_ltorg(const PoolTables& tables, int p, IntermediateFile* emit, std::optional<int> up_to) {
  return PoolPlacer(tables, p, emit).place(up_to.value_or(tables.literals.count()));
}

}  // namespace velumar
