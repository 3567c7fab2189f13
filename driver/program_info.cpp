// The program description gathered during a run: pass 3 reports where each
// record went and what it placed; at the end of the job the symbol table,
// the literal table and the records give the symbols, their definitions
// and uses (see program_symbols.cpp).
#include "driver/program_info.h"

#include <algorithm>
#include <sstream>

#include "core/text.h"
#include "driver/context.h"
#include "driver/program_symbols.h"
#include "driver/run.h"
#include "frontend/opcodes.h"

namespace velumar {

/// What pass 3 reported about one record.
struct ProgramCollector::Pass3Record {
  bool listed = false;
  std::optional<int> seq, location, width, next;
  char flag = ' ';
  struct Piece {
    int first;
    std::string chars;
    bool word_mark;
  };
  std::vector<Piece> pieces;
  std::vector<int> marks;
};

namespace {

std::string_view kind_word(RecordKind kind) {
  switch (kind) {
    case RecordKind::Generated: return "generated";
    case RecordKind::Field: return "field";
    case RecordKind::Subfield: return "subfield";
    case RecordKind::Macro: return "macro";
    case RecordKind::Literal: return "literal";
    case RecordKind::Area: return "area";
    case RecordKind::AddressConstant: return "adcon";
    default: return "";
  }
}

// The kind of storage a record occupies, for the ranges.
std::string_view range_kind(const RecordView& rec, Op op) {
  switch (rec.kind) {
    case RecordKind::Literal:
    case RecordKind::AddressConstant: return "literals";
    case RecordKind::Area:
    case RecordKind::Field:
    case RecordKind::Subfield: return "area";
    case RecordKind::Generated: return "instructions";
    default: break;
  }
  switch (op) {
    case Op::Dc:
    case Op::Dcw:
    case Op::Dsa: return "constants";
    case Op::Ds:
    case Op::Da: return "area";
    default: return "instructions";
  }
}

// The positions a record occupies and what it placed there.
template <typename P3>
void fill_storage(StatementInfo& s, const P3& p, Op op) {
  std::optional<int> lo, hi;
  auto cover = [&](int a, int b) {
    if (a > b) return;
    lo = lo ? std::min(*lo, a) : a;
    hi = hi ? std::max(*hi, b) : b;
  };
  for (const auto& piece : p.pieces) cover(piece.first, piece.first + static_cast<int>(piece.chars.size()) - 1);
  for (int at : p.marks) cover(at, at);
  // Reserved without being placed: DS names its rightmost position, DA
  // its leftmost and the counter after its records.
  if (op == Op::Ds && p.location && s.width > 0) cover(*p.location - s.width + 1, *p.location);
  if (op == Op::Da && p.location && p.next) cover(*p.location, *p.next - 1);
  if (!lo) return;
  s.first = lo;
  s.last = hi;
  if (p.pieces.empty() && p.marks.empty()) return;
  const std::size_t n = static_cast<std::size_t>(*hi - *lo + 1);
  s.chars.assign(n, ' ');
  s.word_marks.assign(n, '0');
  for (const auto& piece : p.pieces) {
    const std::size_t at = static_cast<std::size_t>(piece.first - *lo);
    s.chars.replace(at, piece.chars.size(), piece.chars);
    if (piece.word_mark) s.word_marks[at] = '1';
  }
  for (int at : p.marks) s.word_marks[static_cast<std::size_t>(at - *lo)] = '1';
}

// Adjacent or overlapping runs of one kind become one range.
std::vector<StorageRange> merge_ranges(std::vector<StorageRange> runs) {
  std::sort(runs.begin(), runs.end(), [](const StorageRange& a, const StorageRange& b) {
    return a.first != b.first ? a.first < b.first : a.last < b.last;
  });
  std::vector<StorageRange> merged;
  for (StorageRange& r : runs) {
    if (!merged.empty() && merged.back().kind == r.kind && r.first <= merged.back().last + 1) {
      merged.back().last = std::max(merged.back().last, r.last);
    } else {
      merged.push_back(std::move(r));
    }
  }
  return merged;
}

// END's start address; none when END names none or the job has no END. A
// blank operand field is recorded as the address 0 (where the loader then
// branches), which is told apart from a written 0 by column 21.
std::optional<int> start_of(const Context& ctx, const RecordView& rec) {
  const Operand& op = rec.operand(1);
  if (rec.text.size() <= 20 || rec.text[20] == ' ') return std::nullopt;
  if (op.kind == OperandKind::Actual) return op.address();
  if (op.kind == OperandKind::Symbolic && ctx.symtab.valid(op.symbol())) return ctx.symtab[op.symbol()].defined_value();
  return std::nullopt;
}

}  // namespace

ProgramCollector::ProgramCollector() = default;
ProgramCollector::~ProgramCollector() = default;

void ProgramCollector::begin_job() {
  records_.clear();
  diagnostics_.clear();
  current_.reset();
}

void ProgramCollector::diagnostic(const Diagnostic& d) {
  diagnostics_.push_back(d);
  all_diagnostics_.push_back(d);
}

ProgramCollector::Pass3Record& ProgramCollector::at(std::size_t record) {
  if (record >= records_.size()) records_.resize(record + 1);
  return records_[record];
}

void ProgramCollector::listed(std::size_t record, std::optional<int> seq, std::optional<int> location,
                              std::optional<int> width, std::optional<int> next, char flag) {
  Pass3Record& r = at(record);
  r.flag = flag;
  if (r.listed) return;  // DA lists its record marks after itself: the first line is the statement's
  r.listed = true;
  r.seq = seq;
  r.location = location;
  r.width = width;
  r.next = next;
}

void ProgramCollector::placed(std::size_t record, int first, std::string_view chars, bool word_mark) {
  at(record).pieces.push_back({first, std::string(chars), word_mark});
}

void ProgramCollector::marked(std::size_t record, int at_position) { at(record).marks.push_back(at_position); }

void ProgramCollector::after_symbol_table(ListingWriter& listing) {
  if (!symbol_table_ || ctx_ == nullptr) return;
  symbol_table_(describe(*ctx_), listing);
}

const JobInfo& ProgramCollector::describe(const Context& ctx) {
  if (current_) return *current_;
  JobInfo job;
  job.core_size = ctx.settings.core_size;
  const RecordStore& records = ctx.scratch.records();
  std::vector<StorageRange> runs;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const RecordView rec = records[i];
    if (rec.kind == RecordKind::Error || rec.kind == RecordKind::Warning) continue;
    StatementInfo s;
    s.span = {ctx.scratch.line_of(i), 1, 80};
    s.text = std::string(rtrim(rec.text));
    const bool comment = is_comment(rec);
    s.kind = comment ? "comment" : std::string(kind_word(rec.kind));
    if (!comment) {
      s.op = std::string(rtrim(col_view(rec.text, 16, 20)));
      const Op op = statement_op(rec);
      const Pass3Record none;
      const Pass3Record& p = i < records_.size() ? records_[i] : none;
      s.seq = p.seq;
      s.location = p.location;
      // The width the listing shows; what DS and DA reserve; nothing for
      // other lines listed without one.
      s.width = p.width.value_or(!p.listed || op == Op::Ds || op == Op::Da ? rec.width : 0);
      s.flag = p.listed ? p.flag : rec.flag;
      fill_storage(s, p, op);
      if (s.first) runs.push_back({*s.first, *s.last, std::string(range_kind(rec, op))});
      if (rec.kind == RecordKind::Statement && op == Op::Job && job.name.empty())
        job.name = std::string(rtrim(col_view(rec.text, 21, 72)));
      if (rec.kind == RecordKind::Statement && op == Op::End) job.start = start_of(ctx, rec);
    }
    job.statements.push_back(std::move(s));
  }
  job.ranges = merge_ranges(std::move(runs));
  job.symbols = gather_symbols(ctx);
  job.diagnostics = diagnostics_;
  current_ = std::move(job);
  return *current_;
}

void ProgramCollector::job_done(const Context& ctx, bool assembled) {
  if (!describing_) return;
  describe(ctx);
  current_->assembled = assembled;
  current_->diagnostics = diagnostics_;  // those reported after pass 3 too
  program_.jobs.push_back(std::move(*current_));
  current_.reset();
}

const SymbolInfo* find_symbol(const JobInfo& info, std::string_view name) {
  for (const SymbolInfo& s : info.symbols)
    if (s.name == name) return &s;
  return nullptr;
}

ProgramInfo analyze(std::string_view source, const std::vector<std::string>& options) {
  ProgramCollector collector;
  run_in_memory(options, source, collector);
  return std::move(collector.program());
}

std::string_view kind_name(SymbolKind kind) {
  switch (kind) {
    case SymbolKind::Instruction: return "instruction";
    case SymbolKind::Constant: return "constant";
    case SymbolKind::Area: return "area";
    case SymbolKind::Equ: return "equ";
    case SymbolKind::Literal: return "literal";
    case SymbolKind::Undefined: return "undefined";
  }
  return "undefined";
}

}  // namespace velumar
