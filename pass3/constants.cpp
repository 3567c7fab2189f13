// Declaratives in pass 3: what DC, DCW (and the literal-pool lines), DS,
// DSA and DA put into storage, and how they are listed.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/text.h"
#include "core/charset.h"
#include "core/zone.h"
#include "pass3/pass3.h"
#include "tables/layout.h"

namespace velumar {

namespace {


/// The units digit of a signed constant carries the sign in its zone bits:
/// B zone for minus, A and B zones for plus. A character that is not a digit
/// has no zoned form and is placed as written.
char zoned_units(char c, Sign sign) {
  if (c < '0' || c > '9') return c;
  const int zone = sign == Sign::Minus ? 2 : 3;
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
  if (!in_storage(value) || index < 0 || index > 3) return "###";
  return num_to_addr(static_cast<int>(value), index);
}

}  // namespace

void Pass3::do_dc() {
  test_p(stmt_.where);
  if (stmt_.origin) stmt_.where = layout::label_value(*stmt_.origin, stmt_.width, true);
  const char wm = stmt_.op == Op::Dcw ? 'W' : ' ';  // DC sets no word mark
  const Operand& op = operand(1);
  switch (op.kind) {
    case OperandKind::Actual:
    case OperandKind::NumLit:
      dc_number(wm);
      return;
    case OperandKind::AdconLit: {
      // The operand names the character literal whose address is wanted.
      std::string addr = "###";
      if (ctx.literals.valid(op.literal())) addr = address_of(ctx.literals[op.literal()].address, 0);
      dc_address(addr, wm);
      return;
    }
    case OperandKind::AddrCon:
      dc_address(address_constant(op), wm);
      return;
    case OperandKind::AreaDef:
    case OperandKind::BlankCon:
      dc_blanks(wm);
      return;
    case OperandKind::CharLit:
      if (stmt_.width >= 1) {
        // A pool's character literal is its text; a DCW's is written
        // between "@" from column 21.
        const Literal* lit = pool_literal();
        const std::string text = lit != nullptr ? pad(lit->text, static_cast<std::size_t>(stmt_.width))
                                                : cols(stmt_.card, 22, 21 + stmt_.width);
        if (stmt_.width == 1 && is_group_mark(text[0]) && stmt_.tag == RecordKind::Statement)
          stmt_.tag = RecordKind::GroupMark;
        dc(text, wm, stmt_.where);
      }
      listing({.width = stmt_.width, .location = stmt_.where});
      return;
    default:
      listing({});
      return;
  }
}

// A numeric constant: the digits of the card (or of the pool's literal),
// the sign (if any) as the zone of the units position.
void Pass3::dc_number(char wm) {
  if (stmt_.width < 1) {
    ctx.diag.set_code(err::BadStatement);
    listing({});
    return;
  }
  const Sign sign = operand(1).sign;
  // The digits follow the sign, in a pool's literal as on a DCW card.
  const std::size_t skip = sign != Sign::None ? 1 : 0;
  const Literal* lit = pool_literal();
  std::string text;
  if (lit != nullptr) {
    const std::string_view digits = std::string_view(lit->text).substr(std::min(skip, lit->text.size()));
    text = pad(digits, static_cast<std::size_t>(stmt_.width));
  } else {
    text = cols(stmt_.card, 21 + static_cast<int>(skip), 20 + static_cast<int>(skip) + stmt_.width);
  }
  if (sign != Sign::None) text.back() = zoned_units(text.back(), sign);
  dc(text, wm, stmt_.where);
  listing({.width = stmt_.width, .location = stmt_.where});
}

const Literal* Pass3::pool_literal() const {
  const std::optional<int> index = stmt_.record ? stmt_.record->literal : std::nullopt;
  return index && ctx.literals.valid(*index) ? &ctx.literals[*index] : nullptr;
}

// The address an address constant names: its symbol's value and offset (the
// complement for a minus sign) with the symbol's or the operand's register;
// "###" when it cannot be encoded.
std::string Pass3::address_constant(const Operand& op) const {
  std::int64_t value = -1;
  int index = 0;
  const std::optional<int> symbol = op.constant_symbol();
  if (symbol && ctx.symtab.valid(*symbol)) {
    const Symbol& sym = ctx.symtab[*symbol];
    value = sym.defined ? sym.value : -1;
    if (value >= 0) {
      value += op.adjustment();
      if (op.sign == Sign::Minus) value = kStorageSize - value;  // the complement address
    }
    index = op.index_reg != ' ' ? index_digit(op.index_reg) : sym.index_reg;
  }
  return address_of(value, index);
}

// An address constant is placed and shown as its 3 characters.
void Pass3::dc_address(const std::string& addr, char wm) {
  if (addr == "###") flag_address(1);
  dc(addr, wm, stmt_.where);
  stmt_.output.replace(0, 3, addr);
  listing({.width = 3, .location = stmt_.where, .instruction = stmt_.output});
}

// Blanks go where the constant is, also at an explicit location.
void Pass3::dc_blanks(char wm) {
  if (stmt_.width >= 1) clear(layout::leftmost(stmt_.where, stmt_.width), stmt_.width, wm);
  listing({.width = stmt_.width, .location = stmt_.where});
}

void Pass3::do_ds() {
  test_p(stmt_.where);
  listing({.location = stmt_.where});
}

void Pass3::do_dsa() {
  test_p(stmt_.where);
  if (stmt_.origin) stmt_.where = layout::label_value(*stmt_.origin, stmt_.width, true);
  const Operand& op = operand(1);
  std::int64_t value = -1;
  int index = index_digit(op.index_reg);
  switch (op.kind) {
    case OperandKind::Actual:
      value = static_cast<std::int64_t>(op.address()) + op.adjustment();
      break;
    case OperandKind::Asterisk:
      value = static_cast<std::int64_t>(stmt_.where) + op.adjustment();  // the constant's own rightmost position
      break;
    case OperandKind::Symbolic:
      if (ctx.symtab.valid(op.symbol()) && ctx.symtab[op.symbol()].defined) {
        const Symbol& sym = ctx.symtab[op.symbol()];
        value = static_cast<std::int64_t>(sym.value) + op.adjustment();
        if (op.index_reg == ' ') index = sym.index_reg;
      }
      break;
    default:
      break;
  }
  const std::string addr = address_of(value, index);
  if (addr == "###") flag_address(1);
  dc(addr, 'W', stmt_.where);
  stmt_.output.replace(0, 3, addr);
  listing({.width = 3, .location = stmt_.where, .instruction = stmt_.output});
}

void Pass3::do_da() {
  test_p(stmt_.here);
  // The area starts at its explicit origin or at the location counter.
  const int origin = stmt_.origin.value_or(stmt_.here);
  if (origin >= 1 && origin <= 80 && ctx.settings.keep_out_of_1_80) ctx.diag.add_flag(err::AddrErr);
  state_.area_origin = origin;
  stmt_.width = 0;

  const std::string_view options = operand(3).label;
  const bool clear_records = col(options, 1) == 'C';
  const bool group_mark = col(options, 2) == 'G';
  const bool record_marks = is_record_mark(col(options, 3));
  state_.area_records = operand(1).count();
  state_.record_size = operand(2).count() + (record_marks ? 1 : 0);

  const std::int64_t size = static_cast<std::int64_t>(state_.record_size) * state_.area_records + (group_mark ? 1 : 0);
  const bool malformed = stmt_.record && stmt_.record->flag == err::NoBXLErr;
  if (malformed || state_.area_records < 0 || state_.record_size < 0 || origin < 0 || origin + size > kStorageSize) {
    // No records can be laid out (a size pass 1 could not read, or an area
    // beyond storage): nothing is placed, and the field cards that follow
    // find no records.
    state_.area_records = 0;
    listing({.location = origin});
    return;
  }

  int next_location = origin + state_.record_size * state_.area_records;
  listing({.location = origin, .new_location = next_location});
  if (group_mark) ++next_location;

  stmt_.card = std::string(80, ' ');
  stmt_.card.replace(15, 6, "DC   @");
  stmt_.card[21] = record_mark_;
  stmt_.card[22] = '@';

  const std::optional<int> saved_label = stmt_.label;
  stmt_.label.reset();
  stmt_.where = origin;
  int end = place_area_records(origin, clear_records, record_marks);
  if (group_mark) place_area_group_mark(end++);
  if (end != next_location) ctx.out << "What went wrong with DA in Pass 3?\n";
  stmt_.label = saved_label;
}

// The records of a define area, one after another from AT: cleared when
// asked, a word mark on the first position of each, and a record mark at
// its end when asked.
int Pass3::place_area_records(int at, bool clear_records, bool record_marks) {
  for (int i = 1; i <= state_.area_records; ++i) {
    if (clear_records) clear(at, state_.record_size, ' ');
    at += state_.record_size;
    // Records of size 0 all ask for the same mark; like any statement the
    // area asks for at most as many marks as storage has positions.
    if (state_.record_size > 0 || i <= kStorageSize) {
      sw(stmt_.where);
    }
    stmt_.where += state_.record_size;
    stmt_.tag = RecordKind::RecordMark;
    if (record_marks) {
      dc(std::string(1, record_mark_), ' ', at - 1);
      listing({.width = 1, .location = at - 1});
    }
  }
  stmt_.tag = RecordKind::GroupMark;
  stmt_.card.replace(15, 6, "DCW  @");
  stmt_.card[21] = group_mark_;
  return at;
}

// The group mark (with a word mark) after the last record of an area.
void Pass3::place_area_group_mark(int at) {
  dc(std::string(1, group_mark_), 'W', at);
  listing({.width = 1, .location = at});
}

}  // namespace velumar
