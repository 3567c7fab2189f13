#include "ir/intermediate.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/text.h"

namespace velumar {

namespace {

constexpr int kIntWidth = 6;
constexpr std::size_t kFixedWidth = 110;     // seven fixed fields
constexpr std::size_t kShortestFirst = 109;  // a diagnostic line stops one column short
constexpr std::size_t kGroupWidth = 27;
constexpr std::size_t kGroupIntWidth = 18;   // ADDR, KIND, OFFSET
constexpr int kGroupsPerLine = 4;

// A value that does not fit its 6 columns is written as asterisks (the
// printed form of an overflowing field), which a reader refuses instead of
// taking a cut-down number for the real one.
std::string int_field(int value) { return fmt_int(value, kIntWidth); }

void append_group(std::string& out, const Operand& op) {
  out += int_field(op.raw_value());
  out += int_field(static_cast<int>(op.kind));
  out += int_field(op.adjustment());
  out += pad(op.prefix, 2);
  out += op.index_reg;
  out += pad(op.label, 6);
}

// Reads a right-justified integer field; blanks count as nothing, so an
// all-blank field is 0. Anything but an optional sign and digits fails.
bool read_int(std::string_view field, int& value) {
  std::string text;
  for (char c : field)
    if (c != ' ') text.push_back(c);
  if (text.empty()) {
    value = 0;
    return true;
  }
  std::size_t pos = 0;
  bool negative = false;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    pos = 1;
  }
  if (pos == text.size()) return false;
  long long v = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    v = v * 10 + (text[pos] - '0');  // at most 6 digits: no overflow
  }
  value = static_cast<int>(negative ? -v : v);
  return true;
}

// A line that stops short reads as if padded with blanks.
bool read_int_cols(std::string_view line, int from, int to, int& value) {
  return read_int(cols(line, from, to), value);
}

// Number of lines a record with `n` operand groups takes.
std::size_t lines_for(int n) {
  int extra = n > kGroupsPerLine ? n - kGroupsPerLine : 0;
  return 1 + static_cast<std::size_t>((extra + kGroupsPerLine - 1) / kGroupsPerLine);
}

bool read_group(std::string_view line, std::size_t start, Operand& op) {
  auto c = [start](std::size_t off) { return static_cast<int>(start + off) + 1; };
  if (line.size() < start + kGroupIntWidth) return false;
  int value = 0;
  int kind = 0;
  if (!read_int_cols(line, c(0), c(5), value)) return false;
  if (!read_int_cols(line, c(6), c(11), kind)) return false;
  // A kind that names no operand kind is refused: it could not be kept.
  if (kind < 0 || kind > static_cast<int>(OperandKind::Symbolic)) return false;
  op.set_raw_value(value);
  op.kind = static_cast<OperandKind>(kind);
  if (!read_int_cols(line, c(12), c(17), op.offset)) return false;
  // The text form keeps X00 as its shift in the offset column.
  if (op.offset == kX00Shift) {
    op.round_x00 = true;
    op.offset = 0;
  }
  op.prefix = cols(line, c(18), c(19));
  op.index_reg = col(line, c(20));
  op.label = cols(line, c(21), c(26));
  return true;
}

// The fixed fields of a first line; false when the tag is none of ours or
// one of its integers is unreadable.
bool read_fixed(std::string_view line, Record& rec, int& n) {
  const std::optional<RecordKind> kind = record_kind(cols(line, 1, 5));
  if (kind) rec.kind = *kind;
  rec.card = cols(line, 6, 85);
  bool ok = kind.has_value();
  int label = 0;
  ok = read_int_cols(line, 86, 91, label) && ok;
  if (label < 0) rec.origin = -label;
  if (label > 0) rec.label = label;
  ok = read_int_cols(line, 92, 97, rec.location) && ok;
  ok = read_int_cols(line, 98, 103, rec.width) && ok;
  rec.flag = col(line, 104);
  return read_int_cols(line, 105, 110, n) && ok;
}

// What the label column of the text form holds.
int label_column(const RecordView& rec) {
  if (rec.origin) return -*rec.origin;
  if (rec.label) return *rec.label;
  return rec.unnamed_equ ? -1 : 0;
}

bool is_diagnostic(const RecordView& rec) {
  return (rec.kind == RecordKind::Error || rec.kind == RecordKind::Warning) && rec.flag == ' ' &&
         rec.operands.empty();
}

// `card` without its trailing blanks. Most cards end in a long run of
// blanks, so they are skipped eight columns at a time.
std::string_view without_trailing_blanks(std::string_view card) {
  constexpr std::uint64_t kEightBlanks = 0x2020202020202020ULL;
  std::size_t n = card.size();
  for (std::uint64_t word = 0; n >= 8; n -= 8) {
    std::memcpy(&word, card.data() + n - 8, 8);
    if (word == kEightBlanks) continue;
    if constexpr (std::endian::native == std::endian::little) {
      // The last byte that is not a blank is the highest one that differs.
      return card.substr(0, n - 8 + static_cast<std::size_t>(63 - std::countl_zero(word ^ kEightBlanks)) / 8 + 1);
    }
    break;
  }
  while (n > 0 && card[n - 1] == ' ') --n;
  return card.substr(0, n);
}

// Tags in the order of RecordKind.
constexpr std::array<std::string_view, 12> kRecordTags = {"     ", "GEN  ", "GMARK", "RMARK", "FIELD", "SBFLD",
                                                         "MACRO", "LIT  ", "AREA ", "ADCON", "ERROR", "WARN "};

}  // namespace

std::string_view record_tag(RecordKind kind) { return kRecordTags[static_cast<std::size_t>(kind)]; }

std::optional<RecordKind> record_kind(std::string_view tag) {
  for (std::size_t i = 0; i < kRecordTags.size(); ++i)
    if (kRecordTags[i] == tag) return static_cast<RecordKind>(i);
  return std::nullopt;
}

const Operand RecordView::kNoOperand{};

RecordView Record::view() const {
  RecordView v;
  static_cast<RecordFields&>(v) = *this;
  v.text = rtrim(card);
  v.operands = operands;
  return v;
}

Record make_record(const RecordView& view) {
  Record r;
  static_cast<RecordFields&>(r) = view;
  r.card = view.text;
  r.operands.assign(view.operands.begin(), view.operands.end());
  return r;
}

Record make_record(RecordKind kind, std::string_view line, std::optional<int> label, int location, int width, char err,
                   std::vector<Operand> ops, std::optional<int> origin) {
  Record r;
  r.kind = kind;
  r.card = pad(line, 80);
  r.label = label;
  r.origin = origin;
  r.location = location;
  r.width = width;
  r.flag = err;
  r.operands = std::move(ops);
  return r;
}

Record diagnostic_record(const Diagnostic& d, bool readable) {
  const auto fits = [readable](int value) {
    return !readable || fmt_int(value, kIntWidth).front() != '*' ? value : 0;
  };
  Record rec;
  rec.kind = d.severity == Severity::Warning ? RecordKind::Warning : RecordKind::Error;
  rec.card = "******* " + pad(d.historic, 72);
  rec.location = fits(d.statement);
  rec.width = fits(d.field.value_or(0));
  return rec;
}

std::string format_record(const RecordView& rec) {
  std::string out(record_tag(rec.kind));
  out += pad(rec.text, 80);
  out += int_field(label_column(rec));
  out += int_field(rec.location);
  out += int_field(rec.width);
  // A diagnostic keeps the 109 columns it was reported in: four integers
  // after the message, the last one (0) in the columns of the blank error
  // code and the operand count, which it reads back as.
  if (is_diagnostic(rec)) return out + int_field(0);
  out += rec.flag;
  out += int_field(rec.operand_count());
  for (std::size_t k = 0; k < rec.operands.size(); ++k) {
    if (k >= static_cast<std::size_t>(kGroupsPerLine) && k % kGroupsPerLine == 0) out += '\n';
    append_group(out, rec.operands[k]);
  }
  return out;
}

bool parse_record(const std::vector<std::string>& lines, Record& rec) {
  if (lines.empty() || lines[0].size() < kShortestFirst) return false;
  Record r;
  int n = 0;
  if (!read_fixed(lines[0], r, n) || n < 0) return false;
  if (lines.size() != lines_for(n)) return false;

  std::size_t k = 0;
  for (std::size_t li = 0; li < lines.size(); ++li) {
    const std::string& line = lines[li];
    std::size_t start = li == 0 ? kFixedWidth : 0;
    int on_line = 0;
    for (; on_line < kGroupsPerLine && k < static_cast<std::size_t>(n); ++on_line, ++k) {
      Operand op;
      if (!read_group(line, start, op)) return false;
      r.operands.push_back(op);
      start += kGroupWidth;
    }
    // Text past the last group means the line is not what its count says.
    if (line.size() > start && !is_blank(std::string_view(line).substr(start))) return false;
  }
  rec = std::move(r);
  return true;
}

std::vector<Record> read_records(std::istream& in) {
  std::vector<Record> records;
  std::string line;
  long line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    const long first_line = line_no;
    std::vector<std::string> lines{line};
    int n = 0;
    if (line.size() >= kShortestFirst && read_int_cols(line, 105, 110, n) && n > 0) {
      for (std::size_t more = lines_for(n) - 1; more > 0 && std::getline(in, line); --more) {
        ++line_no;
        lines.push_back(line);
      }
    }
    Record rec;
    if (!parse_record(lines, rec))
      throw std::runtime_error("intermediate file line " + std::to_string(first_line) + " is not a record");
    records.push_back(std::move(rec));
  }
  return records;
}

void RecordStore::clear() {
  entries_.clear();
  operands_.clear();
  text_.clear();
}

void RecordStore::append(const RecordFields& fields, std::string_view card, std::span<const Operand> operands,
                         long long source_line) {
  const std::string_view kept = without_trailing_blanks(card.substr(0, std::min<std::size_t>(card.size(), 80)));
  // The operand indexes have 32 bits: a job would run out of memory long
  // before it held 4 billion operands, but it must never wrap silently.
  if (operands_.size() + operands.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("too many operands in one job");
  if (text_.size() + kept.size() >= (std::uint64_t{1} << 40)) throw std::length_error("too much card text in one job");
  constexpr long long kLastLine = std::numeric_limits<std::uint32_t>::max();
  const std::uint64_t at = text_.size();
  Entry e{};
  e.label = fields.label.value_or(0);
  e.unnamed_equ = fields.unnamed_equ;
  e.origin = fields.origin.value_or(0);
  e.literal = fields.literal.value_or(0);
  e.location = fields.location;
  e.width = fields.width;
  e.next = entries_.empty() ? kStartLocation : entries_.back().next;
  e.line = static_cast<std::uint32_t>(std::clamp(source_line, 0LL, kLastLine));
  e.first_operand = static_cast<std::uint32_t>(operands_.size());
  e.text_low = static_cast<std::uint32_t>(at);
  e.text_high = static_cast<std::uint8_t>(at >> 32);
  e.kind = fields.kind;
  e.op = fields.op;
  e.flag = fields.flag;
  entries_.push_back(e);
  operands_.insert(operands_.end(), operands.begin(), operands.end());
  text_.append(kept);
}

void IntermediateFile::save(std::ostream& out) const {
  for (std::size_t i = 0; i < records_.size(); ++i) out << format_record(records_[i]) << '\n';
}

}  // namespace velumar
