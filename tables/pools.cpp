#include "tables/pools.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "tables/job.h"
#include "core/text.h"
#include "core/location.h"

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
  std::string line(5, ' ');
  line += pad(label, 10);
  line += "DCW  ";
  line += operand;
  return pad(line, 80);
}

std::string first_chars(std::string_view text, int n) { return pad(text, static_cast<std::size_t>(std::max(n, 0))); }

// "#" and the width with at least two digits.
std::string area_operand(int width) {
  std::string digits = std::to_string(std::max(width, 0));
  if (digits.size() < 2) digits.insert(0, 1, '0');
  return "#" + digits;
}

int next_ltorg(const LiteralTable& lits, int LAST_LTORG, int HowMany) {
  return std::max(LAST_LTORG, std::min(HowMany, lits.NUM_LITS) + 1);
}

}  // namespace

int literal_width(const Literal& lit) {
  return lit.KIND == L_ADCON_LIT || lit.KIND == L_ADDR_CON ? 3 : lit.WIDTH;
}

int pool_end(const LiteralTable& lits, int P, int& LAST_LTORG, int UP_TO) {
  for (int I = std::max(LAST_LTORG, 1); I <= UP_TO && lits.valid(I); ++I)
    P = clamp_location(std::int64_t{P} + literal_width(lits[I]));
  LAST_LTORG = next_ltorg(lits, LAST_LTORG, UP_TO);
  return P;
}

void process_ltorg(const Job& ctx, int& P, bool EMIT, std::optional<int> UP_TO) {
  LiteralTable& lits = ctx.literals;
  const bool trace = ctx.traces.on('P');
  const int HowMany = UP_TO.value_or(lits.NUM_LITS);

  if (trace) {
    ctx.out << ListLine()
                   .text("Enter PROCESS_LTORG with P =")
                   .num(P)
                   .text(" and EMIT = ")
                   .flag(EMIT)
                   .text(" to process")
                   .num(lits.LAST_LTORG)
                   .text(" through")
                   .num(HowMany)
                   .line();
  }

  for (int I = std::max(lits.LAST_LTORG, 1); I <= HowMany && lits.valid(I); ++I) {
    Literal& lit = lits[I];
    Record rec;
    rec.P = P;
    rec.WIDTH = literal_width(lit);
    // Each literal carries its own code; the statement that caused the
    // pool keeps the one in ctx.diag.
    char code = err::NoErr;
    Operand op;
    op.INDEX = lit.INDEX;

    switch (lit.KIND) {
      case L_AREA_DEF: {
        const std::string label = pad(lit.TEXT, 6);
        rec.WHY = "AREA ";
        rec.LINE = dcw_card(first_chars(lit.TEXT, 10), area_operand(lit.WIDTH));
        op.KIND = K_AREA_DEF;
        op.INDEX = ' ';
        if (EMIT) {
          // An undetermined location defines nothing: the label stays a
          // reference and pass 2 gives it its address. Only a definition
          // can be a duplicate; pass 3 reports a label whose value differs
          // from where its area ends up.
          const std::int64_t value = P >= 0 ? std::int64_t{P} + lit.WIDTH - 1 : std::int64_t{REF};
          const auto entered = ctx.symtab.enter(label, clamp_location(value), 0);
          rec.IXLAB = std::max(entered.NUM, 0);
          if (entered.DUPLICATE) ctx.diag.do_error("Label " + std::string(rtrim(label)) + " is a duplicate");
        } else {
          // Pass 2 defines area labels from their own records, which also
          // counts the definition as progress of the sweep.
          rec.IXLAB = std::max(ctx.symtab.lookup(label), 0);
        }
        break;
      }
      case L_CHAR_LIT:
        rec.WHY = "LIT  ";
        rec.LINE = dcw_card("", "@" + first_chars(lit.TEXT, std::min(lit.WIDTH, kMaxCharText)) + "@");
        op.KIND = K_CHAR_LIT;
        break;
      case L_ADCON_LIT: {
        const int target = lit.WIDTH;
        std::string text;
        if (lits.valid(target)) text = first_chars(lits[target].TEXT, std::min(lits[target].WIDTH, kMaxAdconText));
        rec.WHY = "LIT  ";
        rec.LINE = dcw_card("", "+@" + text + "@");
        op.ADDR = target;
        op.KIND = K_ADCON_LIT;
        break;
      }
      case L_ADDR_CON: {
        // The name stored at creation already carries the suffix.
        const int symbol = is_blank(lit.SYMBOL) ? -1 : ctx.symtab.lookup(lit.SYMBOL);
        rec.WHY = "ADCON";
        rec.LINE = dcw_card("", lit.TEXT);
        op.ADDR = symbol;
        op.KIND = K_ADDR_CON;
        op.OFFSET = lit.OFFSET;
        if (symbol == -1) code = err::SymErr;
        break;
      }
      default:
        rec.WHY = "LIT  ";
        rec.LINE = dcw_card("", lit.TEXT);
        op.KIND = K_ACTUAL;
        break;
    }

    lit.ADDR = clamp_location(std::int64_t{P} + rec.WIDTH - 1);
    rec.ErrCode = code;
    rec.ops = {op};
    ctx.parser.Operands.Num_Operands = 1;
    ctx.parser.Operands.at(1) = op;
    if (EMIT) ctx.scratch.write(rec);
    P = clamp_location(std::int64_t{P} + rec.WIDTH);

    if (trace) {
      ctx.out << ListLine()
                     .text("Literals(")
                     .num(I)
                     .text(")addr =")
                     .num(lit.ADDR)
                     .text(", %kind = ")
                     .text(rtrim(lit_kind_name(lit.KIND)))
                     .text(", %width =")
                     .num(lit.WIDTH)
                     .text(", %text = ")
                     .text(rtrim(lit.TEXT))
                     .text(", %offset = ")
                     .num(lit.OFFSET)
                     .line();
    }
  }

  // A pool never reaches back into literals an earlier pool has placed.
  lits.LAST_LTORG = next_ltorg(lits, lits.LAST_LTORG, HowMany);

  if (trace) ctx.out << ListLine().text("Exit PROCESS_LTORG with P =").num(P).line();
}

}  // namespace velumar
