// Pass 1: the statement loop, the common end of a statement and the end of
// the pass. The statement handlers live in machine.cpp, declaratives.cpp
// and control.cpp.
#include "pass1/pass1.h"

#include <algorithm>

#include "core/text.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "pass1/pass1_state.h"
#include "tables/pools.h"

namespace velumar {

int pass_1(const Job& ctx, bool* had_cards) {
  Pass1 pass(ctx);
  return pass.run(had_cards);
}


namespace {

bool is_comment(std::string_view line) { return col(line, 6) == '*'; }

}  // namespace

bool Pass1::program_ahead(int& status) {
  // Blank and comment cards at the end of the input (editors leave blank
  // lines behind) must not start a job of their own: read up to the first
  // card with a statement and put everything back.
  std::vector<std::pair<std::string, long long>> seen;
  std::string line;
  status = 0;
  bool found = false;
  while ((status = ctx.reader.read_line(line)) == 0) {
    seen.emplace_back(line, ctx.reader.card_line());
    if (!is_blank(line) && !is_comment(line)) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  for (auto it = seen.rbegin(); it != seen.rend(); ++it) ctx.reader.unread(it->first, it->second);
  return true;
}

void Pass1::init_job() {
  ctx.literals.init_lit_table();
  ctx.symtab.init_sym_table();
  ctx.scratch.rewrite();
  CoreMsg = false;
  ctx.storage_reported = false;
  ctx.reader.line_no = 0;
  ctx.diag.error_count = 0;
  P = kStartP;
  PrevOp = Op::Direct;
  PrevOpText = "     ";
  P_Max = 0;
}

int Pass1::run(bool* had_cards) {
  if (had_cards) *had_cards = false;
  int status = 0;
  if (!program_ahead(status)) return status;
  init_job();

  for (;;) {
    ADD_WIDTH = true;
    ctx.diag.error_code = err::NoErr;
    ctx.diag.had_error = false;
    Direct = false;
    GOT_D = false;
    IXLAB = 0;
    NEED_LTORG = false;
    WIDTH = 0;
    UsedSet = false;
    ++ctx.reader.line_no;

    status = ctx.reader.read_line(LINE);
    if (status > 0) return status;  // the driver reports the read failure and stops
    if (status < 0) break;
    LINE = pad(LINE, 80);
    ctx.diag.pass = 1;
    ctx.diag.source_line = ctx.reader.card_line();
    ctx.diag.card = LINE;
    ctx.scratch.source_line = ctx.diag.source_line;

    if (is_comment(LINE)) {
      write_record(RecordKind::Statement, LINE, 0, 0, 0, err::NoErr);
      continue;
    }
    if (had_cards && !is_blank(LINE)) *had_cards = true;

    label_field();
    P_Scratch = P;
    record_kind = RecordKind::Statement;
    MachineOp = ' ';
    if (!look_up_op()) continue;
    ops().clear();
    POS = 21;

    // END writes its own record and ends the job (a blank operation field
    // keeps the last operation, so the card itself is what says END).
    if (ctx.last_op == Op::End && !is_blank(cols(LINE, 16, 20))) {
      do_end();
      status = 0;
      break;
    }
    dispatch();
    common_end();
  }
  end_of_pass();
  return status;
}

void Pass1::label_field() {
  POS = 6;
  std::string_view label_cols = std::string_view(LINE).substr(0, 11);
  LabelToken = ctx.lexer.lex(label_cols, POS, END);
  if (LabelToken != Token::Name && LabelToken != Token::Number && LabelToken != Token::Done) {
    ctx.diag.at(6, 11);
    error("Invalid label");
    ctx.diag.error_code = err::LabelErr;
  }
  const int junk_from = std::max(END + 1, 6);
  if (!is_blank(cols(LINE, junk_from, 15))) {
    const std::string junk = cols(LINE, junk_from, 15);
    const auto first = static_cast<int>(junk.find_first_not_of(' '));
    const auto last = static_cast<int>(junk.find_last_not_of(' '));
    ctx.diag.at(junk_from + first, junk_from + last);
    ctx.diag.do_error("Junk after the label, or in CC 12-15", std::nullopt, true);
    ctx.diag.error_code = err::LabelErr;
  }
  // The suffix goes only on a label that is there: a blank label field
  // must not become the one-character suffix symbol.
  std::string field(rtrim(cols(LINE, 6, 11)));
  Label = field.empty() ? std::string(6, ' ') : ctx.parser.suffixed(field);
}

bool Pass1::look_up_op() {
  if (is_blank(cols(LINE, 16, 18))) {
    if (!is_blank(cols(LINE, 19, 20))) ctx.last_op = Op::Direct;
    return true;  // all blank: the last operation stays, which lets field cards follow a DA
  }
  ctx.last_op = find_op(cols(LINE, 16, 20));
  if (ctx.last_op == Op::Unknown) {
    op_code_hints();
    error("Unrecognized op code");
    ctx.diag.error_code = err::OpErr;
    return false;
  }
  MachineOp = op_info(ctx.last_op).machine_op;
  return true;
}

void Pass1::op_code_hints() {
  std::string code(rtrim(cols(LINE, 16, 20)));
  code.erase(0, code.find_first_not_of(' '));
  Diagnostics::Next& next = ctx.diag.at(16, 20);
  next.notes.push_back({"the operation code in columns 16-20 reads '" + code +
                            "', which is not an operation the assembler knows",
                        16, 20});
  // A card whose fields all stand one column off: the operation read one
  // column to the left or right is a known one.
  for (const int shift : {-1, 1}) {
    std::string moved = cols(LINE, 16 + shift, 20 + shift);
    // Only a word of its own: blank before it, as a code stands.
    if (is_blank(moved) || moved[0] == ' ' || col(LINE, 15 + shift) != ' ') continue;
    // Shifted right, the operand may follow the code in the fifth column.
    moved = pad(moved.substr(0, moved.find(' ')), 5);
    if (find_op(moved) == Op::Unknown) continue;
    next.notes.push_back({"'" + std::string(rtrim(moved)) + "' in columns " + std::to_string(16 + shift) + "-" +
                              std::to_string(20 + shift) + " is a known operation code: the card's fields stand one "
                              "column too far " + (shift < 0 ? "left" : "right") +
                              " (the operation code belongs in columns 16-20)",
                          16 + shift, 20 + shift});
    break;
  }
}

void Pass1::dispatch() {
  if (MachineOp != ' ' || ctx.last_op == Op::Direct) {
    machine_instruction();
    return;
  }
  // A blank operation field continues the last operation: a field card.
  if (is_blank(cols(LINE, 16, 20))) {
    do_field_card();
    return;
  }
  switch (ctx.last_op) {
    case Op::Alter: do_alter(); break;
    case Op::Chain: do_chain(); break;
    case Op::Da: do_da(); break;
    case Op::Dc:
    case Op::Dcw: do_dc(); break;
    case Op::Delet:
    case Op::Inser: do_delet_inser(); break;
    case Op::Ds: do_ds(); break;
    case Op::Dsa: do_dsa(); break;
    case Op::Ent: do_ent(); break;
    case Op::Equ: do_equ(); break;
    case Op::Ex: do_ex(); break;
    case Op::Ltorg: do_org_ltorg(true); break;
    case Op::Org: do_org_ltorg(false); break;
    case Op::Sfx: do_sfx(); break;
    case Op::Xfr: do_xfr(); break;
    default: break;  // CTL and JOB store nothing in pass 1
  }
}

void Pass1::common_end() {
  PrevOp = ctx.last_op;
  PrevOpText = cols(LINE, 16, 20);
  if (ctx.diag.error_code == err::NoErr && ctx.diag.had_error) ctx.diag.error_code = err::BadStatement;
  write_record(record_kind, LINE, IXLAB, P_Scratch, WIDTH, ctx.diag.error_code, ops().filled());

  if (NEED_LTORG) {
    const int pool_start = P;
    P = process_ltorg({ctx.literals, ctx.symtab, ctx.reporting}, P, &ctx.scratch);
    if (P > pool_start) occupy(pool_start, P - pool_start);
  } else if (ADD_WIDTH) {
    if (!UsedSet && WIDTH > 0) occupy(P_Scratch, WIDTH);
    P = clamp_location(static_cast<long long>(P) + WIDTH);
  }

  // P_Max counts where the statement stands, even when it stores nothing
  // (a JOB card, an ORG), and past what it stores wherever that lies. The
  // storage limit counts only what is stored, so that a statement ending
  // exactly at the last position draws no message.
  P_Max = std::max(P_Max, P_Scratch);
  if (UsedSet && UsedHi > UsedLo) {
    P_Max = std::max(P_Max, UsedHi);
    if (UsedHi - 1 > kLastAddress) CoreMsg = true;
  }
  if (P > kLastAddress + 1) CoreMsg = true;
}

void Pass1::end_of_pass() {
  // What is found now concerns the job, not its last card.
  ctx.diag.source_line = 0;
  ctx.diag.card.clear();
  if (CoreMsg) error("CORE STORAGE EXCEEDED");
  ctx.storage_reported = CoreMsg;
}

void Pass1::write_record(RecordKind kind, std::string_view line, int ixlab, int p, int width, char err,
                         std::vector<Operand> operands) {
  ctx.scratch.write(make_record(kind, line, ixlab, p, width, err, std::move(operands)));
}

void Pass1::define_label(int value, int index, bool check_dup, std::string_view dev) {
  auto result = ctx.symtab.enter(Label, value, index, dev);
  IXLAB = result.index;
  if (check_dup && result.duplicate) {
    ctx.diag.at(6, 11);
    std::string message = "Label ";
    message += rtrim(Label);
    message += " is a duplicate";
    error(message);
    ctx.diag.error_code = err::LabelErr;
  }
}

int Pass1::numeric_label() const { return digits_value(cols(LINE, 6, std::max(END, 6))); }

bool Pass1::name_label() const { return LabelToken == Token::Name; }

bool Pass1::numeric_label_given() const { return LabelToken == Token::Number; }

void Pass1::occupy(int lo, int width) {
  UsedSet = true;
  UsedLo = lo;
  UsedHi = clamp_location(static_cast<long long>(lo) + std::max(width, 0));
}

bool Pass1::place_explicitly(int leftmost, int width) {
  // IXLAB holds minus the location, and 0 means "no label": a location of
  // 0 or below cannot be carried, so such a statement goes to P, flagged.
  if (leftmost < 1) {
    ctx.diag.had_error = true;
    P_Scratch = P;
    return false;
  }
  IXLAB = -leftmost;
  ADD_WIDTH = false;
  occupy(leftmost, width);
  return true;
}

std::string Pass1::symbol_name(std::string_view name) const {
  return ctx.parser.suffixed(name.substr(0, std::min<std::size_t>(name.size(), 6)));
}

std::string Pass1::op_name() const { return std::string(rtrim(cols(LINE, 16, 18))); }

}  // namespace velumar
