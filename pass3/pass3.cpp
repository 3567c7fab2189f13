// Pass 3 statement loop: reads every intermediate record of the job once
// more, assembles machine instructions, hands declaratives and transfers to
// their writers, and lists every statement.
#include "core/card.h"
#include "pass3/pass3.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "core/text.h"
#include "core/charset.h"
#include "frontend/opcodes.h"
#include "core/zone.h"
#include "tables/dumps.h"
#include "tables/layout.h"
#include "tables/symbol_spelling.h"
#include "core/location.h"

namespace velumar {

namespace {
// Undefined names for which a near defined one is looked for, at most a job.
constexpr int kMaxSpellingLookups = 100;
}  // namespace


namespace {

constexpr std::size_t kCardWidth = kCardColumns;
constexpr std::size_t kOutputColumns = 52;  // the instruction as listed
constexpr std::size_t kObjectColumns = 8;   // the longest instruction

/// Makes `s` `n` blanks; inlined, with `n` a constant, the blanks are a
/// few stores (the size is already `n` after the first statement).
[[gnu::always_inline]] inline void blank(std::string& s, std::size_t n) {
  if (s.size() != n) s.resize(n);
  std::memset(s.data(), ' ', n);
}

/// An index tag read as a register number; -1 when it names none of 0-3.
int index_digit(char c) {
  if (c == ' ') return 0;
  if (c >= '0' && c <= '3') return c - '0';
  return -1;
}

/// EQU places nothing; its line shows the value its operand gives (with
/// the index mark of the operand) or the device it names.
void list_equ(Pass3& p) {
  const Pass3Context& ctx = p.ctx;
  const Operand& op = p.operand(1);
  const std::optional<int> label_index = p.label();
  char index_mark = ' ';
  ListFields args;
  std::optional<std::int64_t> value;

  if (op.kind == OperandKind::Device) {
    args.device = std::string_view(op.label).substr(0, 3);
  } else if (op.kind == OperandKind::Symbolic && ctx.symtab.valid(op.symbol())) {
    const Symbol& sym = ctx.symtab[op.symbol()];
    if (!is_blank(sym.device)) {
      args.device = std::string_view(sym.device).substr(0, 3);
    } else {
      if (!sym.defined || sym.value > kLastAddress || sym.value < -kLastAddress)
        p.flag_address(1, sym.defined ? std::optional<std::int64_t>(sym.value) : std::nullopt);
      if (sym.defined) value = static_cast<std::int64_t>(sym.value) + op.adjustment();
    }
  } else if (op.kind == OperandKind::Actual || op.kind == OperandKind::Asterisk) {
    value = static_cast<std::int64_t>(op.address()) + op.adjustment();
  }
  // A "*" after an ORG that pass 1 could not place has no value of its own
  // here (the record carries an address below storage); the label then
  // holds what pass 2 found for it. Any other operand is shown as it is: a
  // label that is a duplicate keeps its first value, and an undefined
  // operand shows no location.
  const bool star_unplaced = op.kind == OperandKind::Asterisk && value && *value < 0;
  if (star_unplaced && label_index && ctx.symtab.valid(*label_index)) {
    const Symbol& label = ctx.symtab[*label_index];
    if (label.defined && is_blank(label.device)) value = std::int64_t{label.value};
  }
  if (!args.device && value) {
    const int index = index_digit(op.index_reg);
    if (index >= 1 && index <= 3) index_mark = 'X';
    args.location = clamp_location(*value);
    args.index_mark = index_mark;
  }
  p.listing(args);
}

}  // namespace

void pass_3(const Pass3Context& ctx, ListingWriter& listing, StorageSink& storage) {
  Pass3 pass(ctx, listing, storage);
  pass.run();
}

Pass3::Pass3(const Pass3Context& context, ListingWriter& listing, StorageSink& storage)
    : ctx(context), list_(listing), storage_(storage) {
  state_.loader_due = ctx.settings.boot_loader != 'N';
}

void Pass3::run() {
  const RecordStore& records = ctx.scratch.records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const RecordView rec = records[i];
    // Statements are shown with their card; generated lines (literal
    // pools, DA records) by the line of the statement that made them.
    const RecordKind kind = rec.kind;
    const bool statement =
        kind == RecordKind::Statement || kind == RecordKind::Generated || kind == RecordKind::GroupMark;
    record_no_ = i;
    take_record(i, rec);
    ctx.diag.locate(ctx.scratch.line_of(i), statement ? std::string_view(stmt_.card) : std::string_view(), 3);
    process_record();
    // Pass 3 moves no counter: it reports the placement it used.
    if (ctx.locations != nullptr && !is_comment(rec)) ctx.locations->placed(3, i, stmt_.next);
  }
  ctx.diag.locate_job();
  if (list_.active()) {
    list_.page_line();
    std::string head = "0";
    for (int i = 0; i < 7; ++i) head += "SYMBOL  ADDRESS  ";
    list_.print(head);
    dump_symtab(ctx.symtab, *list_.stream(), std::nullopt, true);
    if (ctx.statements != nullptr) ctx.statements->after_symbol_table(list_);
  }
}

void Pass3::process_record() {
  const bool comment = is_comment(stmt_.card);
  // Pass 1 gives every record its operation: Direct when columns 16-18 are blank.
  const Op op = stmt_.record ? stmt_.record->op : Op::Direct;
  const bool direct = op == Op::Direct;
  // The JOB card's identification must be on every card punched from now
  // on, the loader cards included.
  if (!comment && op == Op::Job) {
    set_title(card_columns(21, 72), card_columns(76, 80));
  }
  if (state_.loader_due) {
    emit_loader();
    state_.loader_due = false;
  }
  if (ctx.settings.boot_loader != 'N' && state_.resume_due) {
    emit_resume();
    state_.resume_due = false;
  }
  blank(stmt_.output, kOutputColumns);
  stmt_.where = stmt_.here;

  if (comment) {
    list_comment();
  } else if (stmt_.tag == RecordKind::Field) {
    do_field_record();
  } else if (stmt_.tag == RecordKind::Subfield) {
    do_sbfld_record();
  } else if (stmt_.tag == RecordKind::Macro) {
    do_macro_record();
  } else {
    process_statement(op, direct);
  }
  // Counted here, once per record, so that the error count does not depend
  // on whether a listing is written.
  if (ctx.diag.code() != err::NoErr) {
    ctx.diag.count_error();
    report_flag();
  }
  stmt_.record.reset();
}

void Pass3::take_record(std::size_t i, const RecordView& r) {
  stmt_.record = r;
  stmt_.tag = r.kind;
  // The card is copied into the 80 columns kept from record to record, the
  // columns beyond its text blank.
  const std::size_t n = std::min<std::size_t>(r.text.size(), kCardColumns);
  blank(stmt_.card, kCardWidth);
  std::memcpy(stmt_.card.data(), r.text.data(), n);
  stmt_.label = r.label;
  stmt_.origin = r.origin;
  const RecordStore& records = ctx.scratch.records();
  stmt_.here = records.counter_before(i);
  stmt_.next = records.next(i);
  stmt_.where = r.location;
  stmt_.width = r.width;
  ctx.diag.set_code(r.flag);
}

// A statement, a generated line or a pool line: an instruction is
// assembled, anything else goes to its declarative or control handler.
void Pass3::process_statement(Op op, bool direct) {
  if (!is_pool_record(stmt_.tag)) ++state_.seq;
  stmt_.op = op;
  if (direct) {
    stmt_.machine_op = col(stmt_.card, 19);
    stmt_.d_modifier = col(stmt_.card, 20);
    if (is_group_mark(stmt_.d_modifier) && stmt_.tag == RecordKind::Statement) stmt_.tag = RecordKind::GroupMark;
  } else {
    // An unknown operation has a blank operation character: the card is
    // only listed.
    stmt_.machine_op = op_info(op).machine_op;
    stmt_.d_modifier = ' ';
  }
  // A direct card with a blank operation character still occupies the
  // positions pass 1 gave it, and so does every character chained by
  // CHAIN, whatever the chained operation field holds.
  const bool machine = stmt_.machine_op != ' ' || stmt_.tag == RecordKind::Generated || (direct && stmt_.width > 0);
  if (machine) {
    assemble_instruction();
    return;
  }
  stmt_.where = layout::label_value(stmt_.here, stmt_.width, true);
  switch (op) {
    case Op::Da: do_da(); break;
    case Op::Dc:
    case Op::Dcw: do_dc(); break;
    case Op::Ds: do_ds(); break;
    case Op::Dsa: do_dsa(); break;
    case Op::Equ: list_equ(*this); break;
    case Op::Ex:
    case Op::Xfr: transfer_ex(); break;
    case Op::End: transfer_end(); break;
    case Op::Job:
      list_.heading();
      listing({});
      break;
    case Op::Ltorg:
    case Op::Org: do_org(); break;
    case Op::Sfx:
      state_.suffix = col(stmt_.card, 21);
      listing({});
      break;
    default: listing({}); break;
  }
}

std::pair<int, int> Pass3::operand_columns(int which) const {
  // Operands are separated by commas up to the first blank; a character
  // literal between "@" signs may hold both.
  int k = 1;
  int first = 21;
  bool literal = false;
  for (int c = 21; c <= 72; ++c) {
    const char ch = col(stmt_.card, c);
    if (ch == '@') literal = !literal;
    const bool ends = !literal && (ch == ',' || ch == ' ');
    if (!ends) continue;
    if (k == which) return {first, std::max(first, c - 1)};
    if (ch == ' ') break;
    ++k;
    first = c + 1;
  }
  if (k == which && first <= 72) return {first, 72};
  return {21, 21};
}

void Pass3::flag_address(int which, std::optional<std::int64_t> value) {
  ctx.diag.set_code(err::SymErr);
  const Operand& op = operand(which);
  auto [first, last] = operand_columns(which);
  Diagnostic d;
  if (op.kind == OperandKind::Symbolic && (!ctx.symtab.valid(op.symbol()) || !ctx.symtab[op.symbol()].defined)) {
    const std::string name(rtrim(ctx.symtab.valid(op.symbol()) ? ctx.symtab[op.symbol()].label : op.label));
    d = diagnose(DiagId::UndefinedSymbol, {name});
    // The caret goes under the name as written (without its suffix).
    const std::string written = cols(stmt_.card, first, last);
    for (std::size_t len = name.size(); len > 0; --len) {
      const std::size_t at = written.find(name.substr(0, len));
      if (at != std::string::npos) {
        first += static_cast<int>(at);
        last = first + static_cast<int>(len) - 1;
        break;
      }
    }
  } else if (value) {
    d = diagnose(DiagId::AddressOutOfRange, {std::to_string(*value), std::to_string(which)});
  } else {
    d = diagnose(DiagId::AddressUnrepresentable, {std::to_string(which)});
  }
  // A name a letter or two from a defined one; looked for while the report
  // is short, since each look reads the whole table.
  if (d.id == DiagId::UndefinedSymbol && ctx.diag.reporter().errors() < kMaxSpellingLookups) {
    const std::string meant = nearest_symbol(ctx.symtab, rtrim(op.label));
    if (!meant.empty()) {
      Note n{"did you mean '" + meant + "'?", first, last};
      n.replacement = meant;
      d.notes.push_back(std::move(n));
    }
  }
  ctx.diag.report_here(std::move(d).at(first, last));
}

void Pass3::report_flag() {
  if (ctx.diag.reporter().error_shown(ctx.diag.source_line())) return;
  const DiagInfo* row = flag_info(ctx.diag.code());
  Diagnostic d = diagnose(row != nullptr ? row->id : DiagId::BadStatement);
  auto [first, last] = operand_columns(1);
  if (ctx.diag.code() == err::LabelErr) {
    first = 6;
    last = 11;
  } else if (ctx.diag.code() == err::OpErr) {
    first = 16;
    last = 20;
  }
  ctx.diag.report_here(std::move(d).at(first, last));
}

// Defined before its callers so that the lengths, which are constants
// there, unroll the copy.
void Pass3::spread(std::initializer_list<int> lengths) {
  // The object holds 8 characters and the output 52: the pieces of any
  // instruction (at most 8 characters and 4 blanks) fit both.
  const char* from = stmt_.object.data();
  char* to = stmt_.output.data();
  for (const int len : lengths) {
    if (len == 3) {
      std::memcpy(to, from, 3);  // an address
    } else {
      for (int i = 0; i < len; ++i) to[i] = from[i];
    }
    from += len;
    to += len + 1;  // one blank between parts
  }
}

void Pass3::assemble_instruction() {
  test_p(stmt_.here);
  blank(stmt_.object, kObjectColumns);
  stmt_.object[0] = stmt_.machine_op;
  const OpInfo& row = op_info(stmt_.op);
  if (row.d == Need::Fixed) stmt_.d_modifier = row.d.fixed;
  const int n = stmt_.record ? stmt_.record->operand_count() : 0;

  switch (stmt_.width) {
    case 1:
      stmt_.output[0] = stmt_.object[0];
      break;
    case 2:
      // Without operands (PCB, RCB, WM) the fixed d-modifier is the second character.
      if (n >= 1) stmt_.d_modifier = col(operand(1).prefix, 1);
      stmt_.object[1] = stmt_.d_modifier;
      spread({1, 1});
      break;
    case 4:
      do_operand(1, stmt_.object.data() + 1);
      spread({1, 3});
      break;
    case 5:
      do_operand(1, stmt_.object.data() + 1);
      if (n >= 2) stmt_.d_modifier = col(operand(2).prefix, 1);
      stmt_.object[4] = stmt_.d_modifier;
      spread({1, 3, 1});
      break;
    case 7:
      do_operand(1, stmt_.object.data() + 1);
      do_operand(2, stmt_.object.data() + 4);
      spread({1, 3, 3});
      break;
    case 8:
      do_operand(1, stmt_.object.data() + 1);
      do_operand(2, stmt_.object.data() + 4);
      if (n >= 3) stmt_.d_modifier = col(operand(3).prefix, 1);
      stmt_.object[7] = stmt_.d_modifier;
      spread({1, 3, 3, 1});
      break;
    default:
      stmt_.output[0] = stmt_.object[0];
      break;
  }

  const int start = stmt_.here;
  if (stmt_.width >= 1) {
    // Widths that no instruction has (they follow errors in pass 1) still
    // fill their positions, so the location counter stays where pass 1 expects it.
    if (stmt_.width <= 8 && stmt_.width != 3 && stmt_.width != 6) {
      dc(std::string_view(stmt_.object).substr(0, static_cast<std::size_t>(stmt_.width)), 'W', start + stmt_.width - 1);
    } else {
      std::string what(static_cast<std::size_t>(stmt_.width), ' ');
      what[0] = stmt_.object[0];
      dc(what, 'W', start + stmt_.width - 1);
    }
  }
  if (is_group_mark(stmt_.d_modifier) && stmt_.tag == RecordKind::Statement) stmt_.tag = RecordKind::GroupMark;
  listing({.width = stmt_.width, .location = start, .instruction = stmt_.output}, true);
}

namespace {

// What an operand refers to before its offset and index register apply: an
// address (unknown when nothing gives one), the symbol's index register, or
// the device that stands in place of an address.
struct OperandTarget {
  std::int64_t addr = 0;
  int index = 0;
  bool known = true;
  std::optional<std::string_view> device;  ///< 3 characters
};

// `here` is the rightmost position of the statement, which "*" stands for.
OperandTarget target_of(const Pass3Context& ctx, const Operand& op, std::int64_t here) {
  OperandTarget t;
  switch (op.kind) {
    case OperandKind::Actual:
      t.addr = op.address();
      break;
    case OperandKind::AdconLit:
    case OperandKind::AddrCon:
    case OperandKind::AreaDef:
    case OperandKind::CharLit:
    case OperandKind::NumLit:
      t.known = ctx.literals.valid(op.literal());
      if (t.known) t.addr = ctx.literals[op.literal()].address;
      break;
    case OperandKind::Asterisk:
      t.addr = here;
      break;
    case OperandKind::Symbolic:
      t.known = ctx.symtab.valid(op.symbol());
      if (t.known) {
        const Symbol& sym = ctx.symtab[op.symbol()];
        t.addr = sym.value;
        t.index = sym.index_reg;
        if (!is_blank(sym.device)) t.device = std::string_view(sym.device).substr(0, 3);
        t.known = sym.defined;
      }
      break;
    case OperandKind::Device:
      t.device = std::string_view(op.label).substr(0, 3);
      break;
    default:
      t.known = false;  // no address can be made from it
      break;
  }
  if (op.index_reg != ' ') t.index = index_digit(op.index_reg);
  return t;
}

}  // namespace

void Pass3::do_operand(int which, char* where) {
  const Operand& op = operand(which);
  const OperandTarget t = target_of(ctx, op, static_cast<std::int64_t>(stmt_.here) + stmt_.width - 1);
  if (t.device) {
    const std::string_view device = *t.device;
    for (std::size_t i = 0; i < 3; ++i) where[i] = i < device.size() ? device[i] : ' ';
  } else {
    const std::int64_t value = t.addr + op.adjustment();
    const bool storable = in_storage(value);
    if (t.known && t.index >= 0 && t.index <= 3 && storable) {
      put_addr(where, static_cast<int>(value), t.index);
    } else {
      where[0] = where[1] = where[2] = '#';
      flag_address(which, t.known && !storable ? std::optional(value) : std::nullopt);
    }
  }

  // An operation with a fixed device letter puts it in place of the A address.
  const FieldRule device = op_info(stmt_.op).a;
  if (which == 1 && device == Need::Fixed) {
    where[0] = '%';
    where[1] = device.fixed;
  }
}

void Pass3::test_p(int at) {
  if (!stmt_.label || !ctx.symtab.valid(*stmt_.label)) return;
  const Symbol& sym = ctx.symtab[*stmt_.label];
  if (!sym.defined || sym.value == at || sym.value < 0 || at < 0) return;
  auto number = [](int v) {
    std::string s = fmt_int(v, 6);
    return s.substr(s.find_first_not_of(' '));
  };
  Diagnostic d = diagnose(DiagId::DefinitionMoved, {rtrim(sym.label), number(sym.value), number(at)}).at(6, 11);
  if (ctx.diag.code() == err::LabelErr) {
    // A label flagged in pass 1 (a duplicate keeps its first value) has
    // been reported there: counted and written as always, but standard
    // error does not say it again in other words.
    ctx.diag.count_error();
    ctx.diag.fail_statement();
    ctx.diag.historic(std::move(d));
  } else {
    ctx.diag.do_error(std::move(d));
  }
  ctx.diag.set_code(err::SymErr);
}

void Pass3::do_org() {
  stmt_.where = stmt_.here;
  const Operand& op = operand(1);
  if (op.kind == OperandKind::Symbolic) {
    if (ctx.symtab.valid(op.symbol())) {
      const Symbol& sym = ctx.symtab[op.symbol()];
      if (!sym.defined || sym.value < 0) {
        ctx.diag.set_code(err::UndefOrg);
        auto [first, last] = operand_columns(1);
        ctx.diag.report_here(diagnose(DiagId::OriginUndefined, {rtrim(ctx.symtab[op.symbol()].label)}).at(first, last));
      }
    } else {
      ctx.diag.set_code(err::UndefOrg);
    }
  }
  // The origin that takes the counter below storage is reported, once: one
  // that finds it below already (after another such origin, or where an
  // undefined origin left it) moves nothing into storage and says nothing
  // new. An undefined origin has its own flag. Nothing placed down there
  // is stored.
  if (stmt_.next < 0 && stmt_.here >= 0 && ctx.diag.code() != err::UndefOrg) {
    ctx.diag.do_error(diagnose(DiagId::CounterOutsideStorage, {std::to_string(stmt_.next)}));
    ctx.diag.add_flag(err::OutsideStorage);
  }
  ListFields args;
  if (stmt_.label) args.location = stmt_.where;
  args.new_location = stmt_.next;
  listing(args);
}



void Pass3::do_field_record() {
  std::int64_t org = layout::field_location(state_.area_origin, operand(1).address());
  if (org >= 1 && org <= 80 && ctx.settings.keep_out_of_1_80) ctx.diag.add_flag(err::AddrErr);
  // Each record of the area gets its word mark and counts as a statement.
  for (int i = 1; i <= state_.area_records; ++i, org += state_.record_size) {
    ++state_.seq;
    if (!in_storage(org)) {
      // A word mark that no storage position can take is reported, not punched.
      ctx.diag.set_code(err::SymErr);
      break;
    }
    // In an area of size-0 records every record's mark is at one position:
    // at most as many requests as storage has positions.
    if (state_.record_size == 0 && i > kStorageSize) continue;
    sw(static_cast<int>(org));
  }
  listing({.location = layout::field_location(state_.area_origin, operand(2).address())});
}

void Pass3::do_sbfld_record() {
  ++state_.seq;
  const int org = layout::field_location(state_.area_origin, operand(1).address());
  if (org >= 1 && org <= 80 && ctx.settings.keep_out_of_1_80) ctx.diag.add_flag(err::AddrErr);
  listing({.location = org});
}

void Pass3::do_macro_record() {
  ++state_.seq;
  // A CHAIN in error generates nothing: its second record carries the amount
  // read, but passes 1 and 2 keep the location counter where it was, and so
  // does this pass.
  listing({});
}

void Pass3::list_comment() {
  const bool statement = stmt_.tag == RecordKind::Statement;
  if (statement) ++state_.seq;
  list_.comment(statement ? std::optional(state_.seq) : std::nullopt, stmt_.card, record_tag(stmt_.tag));
}

}  // namespace velumar
