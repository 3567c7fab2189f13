// Pass 1: the statement loop, the common end of a statement and the end of
// the pass. The statement handlers live in machine.cpp, declaratives.cpp
// and control.cpp.
#include "pass1/pass1.h"

#include <algorithm>

#include "core/text.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "pass1/column_checks.h"
#include "pass1/pass1_state.h"
#include "tables/layout.h"
#include "tables/pools.h"

namespace velumar {

namespace {

// The fields of a record that defines no label and has no origin.
RecordFields record_fields(RecordKind kind, Op op, int location, int width, char err) {
  RecordFields fields;
  fields.kind = kind;
  fields.op = op;
  fields.flag = err;
  fields.location = location;
  fields.width = width;
  return fields;
}

}  // namespace

int pass_1(const Pass1Context& ctx, bool* had_cards) {
  Pass1 pass(ctx);
  return pass.run(had_cards);
}


bool Pass1::program_ahead(int& status) {
  // Blank and comment cards at the end of the input (editors leave blank
  // lines behind) must not start a job of their own: read up to the first
  // card with a statement and put everything back. Blank cards on lines
  // one after another are kept as a count.
  struct Seen {
    std::string card;
    long long line;
    long long blanks;  ///< a run of blank cards from `line` on, when not 0
  };
  std::vector<Seen> seen;
  std::string line;
  status = 0;
  bool found = false;
  while ((status = ctx_.reader.read_line(line)) == 0) {
    const long long at = ctx_.reader.card_line();
    if (is_blank(line)) {
      if (!seen.empty() && seen.back().blanks > 0 && seen.back().line + seen.back().blanks == at)
        ++seen.back().blanks;
      else
        seen.push_back({std::string(), at, 1});
      continue;
    }
    seen.push_back({line, at, 0});
    if (!is_comment(line)) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
    if (it->blanks > 0)
      ctx_.reader.unread_blanks(it->line, it->blanks);
    else
      ctx_.reader.unread(it->card, it->line);
  }
  return true;
}

void Pass1::init_job() {
  ctx_.literals.init_lit_table();
  ctx_.symtab.init_sym_table();
  ctx_.scratch.rewrite();
  ctx_.reader.restart_line_no();
  ctx_.diag.begin_job();
  counter_ = LocationCounter{};
  placed_ = 0;
  previous_ = PreviousOp{};
  if (ctx_.locations != nullptr) ctx_.locations->begin_job();
}

void Pass1::begin_statement() {
  ctx_.reader.advance_line_no();
  ctx_.diag.begin_statement(ctx_.reader.line_no());
}

int Pass1::run(bool* had_cards) {
  if (had_cards) *had_cards = false;
  int status = 0;
  if (!program_ahead(status)) return status;
  init_job();

  for (;;) {
    begin_statement();
    std::string& line = card_.line;
    status = ctx_.reader.read_line(line);
    if (status > 0) return status;  // the driver reports the read failure and stops
    if (status < 0) break;
    line.resize(80, ' ');  // a card is exactly 80 columns
    ctx_.diag.locate(ctx_.reader.card_line(), line, 1);
    ctx_.scratch.set_source_line(ctx_.reader.card_line());

    if (is_comment(line)) {
      write_record(RecordKind::Statement, Op::Direct, line, 0, 0, err::NoErr);
      continue;
    }
    if (had_cards && !*had_cards && !is_blank(line)) *had_cards = true;

    label_field();
    if (!look_up_op()) {
      report_column_slips(false);
      continue;
    }
    ops().clear();

    // END writes its own record and ends the job (a blank operation field
    // keeps the last operation, so the card itself is what says END).
    if (ctx_.last_op == Op::End && !is_blank(col_view(line, 16, 20))) {
      do_end();
      place_records();
      report_column_slips(true);
      status = 0;
      break;
    }
    common_end(dispatch());
    report_column_slips(true);
  }
  end_of_pass();
  return status;
}

void Pass1::label_field() {
  int pos = 6;
  std::string_view label_cols = std::string_view(card_.line).substr(0, 11);
  card_.label_token = ctx_.lexer.lex(label_cols, pos, card_.label_end);
  if (card_.label_token != Token::Name && card_.label_token != Token::Number && card_.label_token != Token::Done) {
    ctx_.diag.do_error(diagnose(DiagId::InvalidLabel).at(6, 11));
    ctx_.diag.set_code(err::LabelErr);
  }
  const std::string& line = card_.line;
  const int junk_from = std::max(card_.label_end + 1, 6);
  if (!is_blank(col_view(line, junk_from, 15))) {
    const std::string junk = cols(line, junk_from, 15);
    const auto first = static_cast<int>(junk.find_first_not_of(' '));
    const auto last = static_cast<int>(junk.find_last_not_of(' '));
    ctx_.diag.do_error(diagnose(DiagId::JunkAfterLabel).at(junk_from + first, junk_from + last));
    ctx_.diag.set_code(err::LabelErr);
  }
  // The suffix goes only on a label that is there: a blank label field
  // must not become the one-character suffix symbol.
  card_.label = col_view(line, 6, 11);
  ctx_.parser.apply_suffix(card_.label);
}

bool Pass1::look_up_op() {
  const std::string& line = card_.line;
  if (is_blank(col_view(line, 16, 18))) {
    if (!is_blank(col_view(line, 19, 20))) ctx_.last_op = Op::Direct;
    return true;  // all blank: the last operation stays, which lets field cards follow a DA
  }
  ctx_.last_op = find_op(col_view(line, 16, 20));
  if (ctx_.last_op == Op::Unknown) {
    Diagnostic d = diagnose(DiagId::UnrecognizedOp).at(16, 20);
    op_code_hints(d.notes);
    ctx_.diag.do_error(std::move(d));
    ctx_.diag.set_code(err::OpErr);
    return false;
  }
  return true;
}

void Pass1::report_column_slips(bool op_known) {
  // A blank operation field continues the card before it: no operands of its own to check.
  const bool op_given = op_known && !is_blank(col_view(card_.line, 16, 20));
  for (Diagnostic& d :
       column_slips(card_.line, op_given ? ctx_.last_op : Op::Unknown, ctx_.diag.statement_failed())) {
    d.line = ctx_.diag.source_line();
    d.card = card_.line;
    ctx_.diag.report(std::move(d));
  }
}

std::vector<Note> Pass1::first_definition(int symbol) const {
  // Looked for only while the report is short: each look reads the job's records.
  if (ctx_.diag.reporter().errors() >= kMaxLookups) return {};
  const RecordStore& records = ctx_.scratch.records();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const RecordView rec = records[i];
    if (rec.label != symbol || rec.kind != RecordKind::Statement || records.line_of(i) == 0) continue;
    Note n{"first defined here", 6, 11};
    n.line = records.line_of(i);
    n.card = std::string(rec.text);
    return {n};
  }
  return {};
}

void Pass1::op_code_hints(std::vector<Note>& notes) const {
  const std::string& line = card_.line;
  std::string code(rtrim(cols(line, 16, 20)));
  code.erase(0, code.find_first_not_of(' '));
  notes.push_back({"the operation code in columns 16-20 reads '" + code +
                            "', which is not an operation the assembler knows",
                        16, 20});
  // A card whose fields all stand one column off: the operation read one
  // column to the left or right is a known one.
  for (const int shift : {-1, 1}) {
    std::string moved = cols(line, 16 + shift, 20 + shift);
    // Only a word of its own: blank before it, as a code stands.
    if (is_blank(moved) || moved[0] == ' ' || col(line, 15 + shift) != ' ') continue;
    // Shifted right, the operand may follow the code in the fifth column.
    moved = pad(moved.substr(0, moved.find(' ')), 5);
    if (find_op(moved) == Op::Unknown) continue;
    notes.push_back({"'" + std::string(rtrim(moved)) + "' in columns " + std::to_string(16 + shift) + "-" +
                              std::to_string(20 + shift) + " is a known operation code: the card's fields stand one "
                              "column too far " + (shift < 0 ? "left" : "right") +
                              " (the operation code belongs in columns 16-20)",
                          16 + shift, 20 + shift});
    return;
  }
  // A code a letter or two from a known one.
  const std::string meant = nearest_operation(code);
  if (!meant.empty()) notes.push_back(fix_it("did you mean '" + meant + "'?", 16, 20, pad(meant, 5)));
}

Decision Pass1::dispatch() {
  // A blank operation field keeps the row of the card before it, but is
  // never that operation again: it is a field card (or, with columns 19-20
  // written, row 0, the machine instruction given by its code).
  const bool op_given = !is_blank(col_view(card_.line, 16, 18));
  if ((op_given && !is_pseudo(ctx_.last_op)) || ctx_.last_op == Op::Direct) return machine_instruction();
  if (is_blank(col_view(card_.line, 16, 20))) return do_field_card();
  switch (ctx_.last_op) {
    case Op::Chain: return do_chain();
    case Op::Da: return do_da();
    case Op::Dc:
    case Op::Dcw: return do_dc();
    case Op::Ds: return do_ds();
    case Op::Dsa: return do_dsa();
    case Op::Equ: return do_equ();
    case Op::Ex: return do_ex();
    case Op::Ltorg: return do_org_ltorg(true);
    case Op::Org: return do_org_ltorg(false);
    case Op::Alter: error(DiagId::AlterNotHandled); break;
    case Op::Delet:
    case Op::Inser: error(DiagId::NotHandled, {cols(card_.line, 16, 20)}); break;
    case Op::Ent: error(DiagId::CodingMode); break;
    case Op::Sfx: ctx_.parser.set_suffix(col(card_.line, 21)); break;
    case Op::Xfr: end_or_ex(); break;
    default: break;  // CTL and JOB store nothing in pass 1
  }
  return at_counter();
}

void Pass1::common_end(const Decision& placed) {
  previous_.op = ctx_.last_op;
  previous_.text = col_view(card_.line, 16, 20);
  if (ctx_.diag.code() == err::NoErr && ctx_.diag.statement_failed()) ctx_.diag.set_code(err::BadStatement);
  // A chained character repeats the operation of the card before the CHAIN.
  const Op op = placed.kind == RecordKind::Generated ? chained_op_
                : is_blank(col_view(card_.line, 16, 18)) ? Op::Direct
                                                         : ctx_.last_op;
  RecordFields fields = record_fields(placed.kind, op, placed.location, placed.width, ctx_.diag.code());
  fields.label = placed.label;
  fields.unnamed_equ = placed.unnamed_equ;
  fields.origin = placed.origin;
  ctx_.scratch.write(fields, card_.line, ops().filled());
  place_records();

  const int p = counter_.here;
  std::optional<Span> used = placed.used;
  if (placed.advance == Advance::PlacePool) {
    // The pool goes where the LTORG has put the counter.
    const int pool_end = place_pool();
    place_records();
    if (pool_end > p) used = Span{p, pool_end};
  } else if (placed.advance == Advance::ByWidth) {
    if (!used && placed.width > 0)
      used = Span{placed.location, clamp_location(static_cast<long long>(placed.location) + placed.width)};
  }

  // The highest location counts where the statement stands, even when it
  // stores nothing (a JOB card, an ORG), and past what it stores wherever
  // that lies. The storage limit counts only what is stored, so that a
  // statement ending exactly at the last position draws no message.
  counter_.highest = std::max(counter_.highest, placed.location);
  if (used && used->hi > used->lo) {
    counter_.highest = std::max(counter_.highest, used->hi);
    if (used->hi - 1 > kLastAddress) exceed_storage();
  }
  if (counter_.here > kLastAddress + 1) exceed_storage();
}

void Pass1::exceed_storage() {
  if (counter_.storage_exceeded) return;
  counter_.storage_exceeded = true;
  counter_.exceeded_line = ctx_.diag.source_line();
  counter_.exceeded_card = card_.line;
}

void Pass1::place_records() {
  RecordStore& records = ctx_.scratch.records();
  for (; placed_ < records.size(); ++placed_) {
    const RecordView rec = records[placed_];
    const bool comment = is_comment(rec);
    Placement at = layout::place(rec, counter_.here, ctx_.symtab);
    if (rec.kind == RecordKind::Statement && (rec.op == Op::Org || rec.op == Op::Ltorg) && !comment) {
      // An ORG to a symbol not yet defined leaves the counter unknown up
      // to an ORG to an actual address (an ORG to a symbol may name one
      // defined in that stretch).
      if (at.forward) counter_.determined = false;
      if (rec.operand(1).kind == OperandKind::Actual) counter_.determined = true;
    }
    at.forward = !counter_.determined;
    records.place(placed_, at);
    counter_.here = at.next;
    if (ctx_.locations == nullptr || comment) continue;
    if (counter_.determined)
      ctx_.locations->placed(1, placed_, counter_.here);
    else
      ctx_.locations->unknown_to_pass_1(placed_);
  }
}

void Pass1::end_of_pass() {
  if (counter_.storage_exceeded) {
    // Counted with the job's last statement, as it always was, and shown
    // on standard error at the first statement that passed the end.
    ctx_.diag.locate(counter_.exceeded_line, counter_.exceeded_card, 1);
    error(DiagId::CoreStorageExceeded);
  }
  // What is found now concerns the job, not its last card.
  ctx_.diag.locate_job();
  ctx_.diag.set_storage_reported(counter_.storage_exceeded);
}

Decision Pass1::at_counter() const {
  Decision placed;
  placed.location = counter_.here;
  return placed;
}

void Pass1::write_record(RecordKind kind, Op op, std::string_view line, int location, int width, char err,
                         std::span<const Operand> operands) {
  ctx_.scratch.write(record_fields(kind, op, location, width, err), line, operands);
}

std::optional<int> Pass1::define_label(std::optional<int> value, int index, bool check_dup, std::string_view dev) {
  auto result = ctx_.symtab.enter(card_.label, value, index, dev);
  if (check_dup && result.duplicate) {
    Diagnostic d = diagnose(DiagId::DuplicateLabel, {rtrim(card_.label)}).at(6, 11);
    d.notes = first_definition(result.index);
    ctx_.diag.do_error(std::move(d));
    ctx_.diag.set_code(err::LabelErr);
  }
  return symbol_index(result.index);
}

int Pass1::numeric_label() const { return digits_value(col_view(card_.line, 6, std::max(card_.label_end, 6))); }

bool Pass1::place_explicitly(Decision& placed, int leftmost, int width) {
  // The record's text form holds minus the origin where the label index
  // goes, and 0 means "no label": a location of 0 or below cannot be
  // carried, so such a statement goes to the counter, flagged.
  if (leftmost < 1) {
    ctx_.diag.fail_statement();
    placed.location = counter_.here;
    return false;
  }
  placed.origin = leftmost;
  placed.advance = Advance::Stay;
  placed.used = Span{leftmost, clamp_location(static_cast<long long>(leftmost) + std::max(width, 0))};
  return true;
}

std::string Pass1::symbol_name(std::string_view name) const {
  return ctx_.parser.suffixed(name.substr(0, std::min<std::size_t>(name.size(), 6)));
}

std::string Pass1::op_name() const { return std::string(rtrim(col_view(card_.line, 16, 18))); }

}  // namespace velumar
