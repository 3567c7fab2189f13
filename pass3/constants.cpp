// Declaratives in pass 3: what DC, DCW (and the literal-pool lines), DS,
// DSA and DA put into storage, and how they are listed.
#include <algorithm>
#include <cstdint>
#include <string>

#include "tables/job.h"
#include "core/text.h"
#include "core/charset.h"
#include "core/zone.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

constexpr int kCoreLimit = 16000;
/// Beyond any storage; keeps location arithmetic on absurd records in range.
constexpr std::int64_t kFarAway = 100000000;

/// The units digit of a signed constant carries the sign in its zone bits:
/// B zone for minus, A and B zones for plus. A character that is not a digit
/// has no zoned form and is placed as written.
char zoned_units(char c, char sign) {
  if (c < '0' || c > '9') return c;
  const int zone = sign == '-' ? 2 : 3;
  return ZONED[static_cast<std::size_t>(10 * zone + (c - '0'))];
}

/// An index tag read as a register number; -1 when it names none of 0-3.
int index_digit(char c) {
  if (c == ' ') return 0;
  if (c >= '0' && c <= '3') return c - '0';
  return -1;
}

/// The 3-character address, or "###" when the value or the register cannot
/// be encoded.
std::string address_of(std::int64_t value, int index) {
  if (value < 0 || value >= kCoreLimit || index < 0 || index > 3) return "###";
  return num_to_addr(static_cast<int>(value), index);
}

}  // namespace

void Pass3::do_dc() {
  test_p(P_IN);
  if (IxLab < 0) P_IN = WIDTH - IxLab - 1;
  const char wm = col(LINE, 18) == 'W' ? 'W' : ' ';
  const Operand& op = operand(1);

  // An address constant is placed and shown as its 3 characters.
  auto place_address = [&](const std::string& addr) {
    if (addr == "###") flag_address(1);
    dc(addr, wm, P_IN, IxLab);
    OUTPUT.replace(0, 3, addr);
    listing({.WIDTH = 3, .LOC = P_IN, .OUTPUT = OUTPUT});
  };

  switch (op.kind) {
    case K_ACTUAL:
    case K_NUM_LIT: {
      if (WIDTH < 1) {
        ctx.diag.error_code = err::BadStatement;
        listing({});
        return;
      }
      const char sign = col(LINE, 21);
      std::string text;
      if (sign == '+' || sign == '&' || sign == '-') {
        text = cols(LINE, 22, 21 + WIDTH);
        text.back() = zoned_units(text.back(), sign);
      } else {
        text = cols(LINE, 21, 20 + WIDTH);
      }
      dc(text, wm, P_IN, IxLab);
      listing({.WIDTH = WIDTH, .LOC = P_IN});
      return;
    }
    case K_ADCON_LIT: {
      // The operand names the character literal whose address is wanted.
      std::string addr = "###";
      if (ctx.literals.valid(op.value)) addr = address_of(ctx.literals[op.value].ADDR, 0);
      place_address(addr);
      return;
    }
    case K_ADDR_CON: {
      std::int64_t value = -1;
      int index = 0;
      if (op.value >= 0 && ctx.symtab.valid(op.value)) {
        const Symbol& sym = ctx.symtab[op.value];
        value = sym.VALUE;
        if (value >= 0) {
          value += op.offset;
          if (col(LINE, 21) == '-') value = kCoreLimit - value;  // the complement address
        }
        index = op.index_reg != ' ' ? index_digit(op.index_reg) : sym.INDEX;
      }
      place_address(address_of(value, index));
      return;
    }
    case K_AREA_DEF:
    case K_BLANK_CON: {
      if (WIDTH >= 1) {
        // The blanks go where the constant is, also at an explicit location;
        // P moves only when the constant takes its place at P.
        const int saved_p = P;
        const int saved_ix = IxLab;
        const int first = P_IN - WIDTH + 1;
        P = first;
        IxLab = 0;
        clear(WIDTH, wm);
        IxLab = saved_ix;
        P = saved_ix < 0 ? saved_p : first + WIDTH;
      }
      listing({.WIDTH = WIDTH, .LOC = P_IN});
      return;
    }
    case K_CHAR_LIT: {
      if (WIDTH >= 1) {
        const std::string text = cols(LINE, 22, 21 + WIDTH);
        if (WIDTH == 1 && is_group_mark(text[0]) && WHY == RecordKind::Statement) WHY = RecordKind::GroupMark;
        dc(text, wm, P_IN, IxLab);
      }
      listing({.WIDTH = WIDTH, .LOC = P_IN});
      return;
    }
    default:
      listing({});
      return;
  }
}

void Pass3::do_ds() {
  test_p(P_IN);
  listing({.LOC = P_IN});
  if (WIDTH > 0) P = clamp_location(std::int64_t{P} + WIDTH);
}

void Pass3::do_dsa() {
  test_p(P_IN);
  if (IxLab < 0) P_IN = WIDTH - IxLab - 1;
  const Operand& op = operand(1);
  std::int64_t value = -1;
  int index = index_digit(op.index_reg);
  switch (op.kind) {
    case K_ACTUAL:
      value = static_cast<std::int64_t>(op.value) + op.offset;
      break;
    case K_ASTERISK:
      value = static_cast<std::int64_t>(P_IN) + op.offset;  // the constant's own rightmost position
      break;
    case K_SYMBOLIC:
      if (ctx.symtab.valid(op.value) && is_defined(ctx.symtab[op.value].VALUE)) {
        const Symbol& sym = ctx.symtab[op.value];
        value = static_cast<std::int64_t>(sym.VALUE) + op.offset;
        if (op.index_reg == ' ') index = sym.INDEX;
      }
      break;
    default:
      break;
  }
  const std::string addr = address_of(value, index);
  if (addr == "###") flag_address(1);
  dc(addr, 'W', P_IN, IxLab);
  OUTPUT.replace(0, 3, addr);
  listing({.WIDTH = 3, .LOC = P_IN, .OUTPUT = OUTPUT});
}

void Pass3::do_da() {
  test_p(P);
  const int P_SAVE = P;
  if (IxLab < 0) P = -IxLab;
  if (P >= 1 && P <= 80 && ctx.settings.NotIn_1_80) ctx.diag.error_code = err::AddrErr;
  P_DA = P;
  const int area_width = WIDTH;  // what pass 1 reserved for the whole area
  WIDTH = 0;

  const std::string& options = operand(3).label;
  const bool clear_records = col(options, 1) == 'C';
  const bool group_mark = col(options, 2) == 'G';
  const bool record_marks = is_record_mark(col(options, 3));
  Nrecs = operand(1).value;
  RECSIZ = operand(2).value + (record_marks ? 1 : 0);

  const std::int64_t size = static_cast<std::int64_t>(RECSIZ) * Nrecs + (group_mark ? 1 : 0);
  const bool malformed = rec && rec->flag == err::NoBXLErr;
  if (malformed || Nrecs < 0 || RECSIZ < 0 || P < 0 || P + size > kCoreLimit) {
    // No records can be laid out (a size pass 1 could not read, or an area
    // beyond storage): nothing is placed, the field cards that follow find
    // no records, and P moves as in pass 1.
    Nrecs = 0;
    listing({.LOC = P});
    if (IxLab < 0)
      P = P_SAVE;
    else if (area_width > 0)
      P = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(P) + area_width, kFarAway));
    return;
  }

  int ORG = P + RECSIZ * Nrecs;
  listing({.LOC = P, .ORG = ORG});
  if (group_mark) ++ORG;

  LINE = std::string(80, ' ');
  LINE.replace(15, 6, "DC   @");
  LINE[21] = RMARK;
  LINE[22] = '@';

  // Inside the area P tracks the positions being filled, also at an
  // explicit origin; P_SAVE brings it back afterwards.
  const int saved_ix = IxLab;
  IxLab = 0;
  P_IN = P;
  for (int i = 1; i <= Nrecs; ++i) {
    const int start = P;
    if (clear_records) clear(RECSIZ, ' ');
    P = start + RECSIZ;
    // Records of size 0 all ask for the same mark; like any statement the
    // area asks for at most as many marks as storage has positions.
    if (RECSIZ > 0 || i <= kCoreLimit) {
      sw(P_IN);
    }
    P_IN += RECSIZ;
    WHY = RecordKind::RecordMark;
    if (record_marks) {
      const int at = P - 1;
      P = at;
      dc(std::string(1, RMARK), ' ', at, 0);
      P = at + 1;
      listing({.WIDTH = 1, .LOC = at});
    }
  }

  WHY = RecordKind::GroupMark;
  LINE.replace(15, 6, "DCW  @");
  LINE[21] = GMARK;
  if (group_mark) {
    const int at = P;
    dc(std::string(1, GMARK), 'W', at, 0);
    P = at + 1;
    listing({.WIDTH = 1, .LOC = at});
  }
  if (P + WIDTH != ORG) ctx.out << "What went wrong with DA in Pass 3?\n";
  IxLab = saved_ix;
  if (IxLab < 0) P = P_SAVE;
}

}  // namespace velumar
