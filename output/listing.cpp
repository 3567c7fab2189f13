// The listing's print positions, page lines and column headings.
#include "output/listing.h"

#include "core/diagnostics.h"
#include "core/text.h"

namespace velumar {

namespace {

constexpr std::string_view kColumnHeading =
    "0 SEQ PG LIN  LABEL  OP    OPERANDS"
    "                                            "
    "SFX CT  LOCN  INSTRUCTION TYPE  CARD";

// Print positions of the statement line's end part (82-105), 0-based within it.
constexpr std::size_t kWidthAt = 0;
constexpr std::size_t kLocationAt = 4;
constexpr std::size_t kDeviceAt = 6;
constexpr std::size_t kNewLocationAt = 10;
constexpr std::size_t kIndexMarkAt = 11;
constexpr std::size_t kInstructionAt = 12;
constexpr std::size_t kEndPartSize = 24;

/// The word printed for a statement's error code; blank for codes without one.
std::string_view error_word(char code) {
  switch (code) {
    case err::AddrErr: return "ADDR";
    case err::LabelErr: return "LABEL";
    case err::MacroErr: return "MACRO ERROR";
    case err::NoBXLErr: return "NO BXL";
    case err::OpErr: return "OP";
    case err::SymErr: return "SYM";
    case err::UndefOrg: return "UNDEF ORG";
    case err::BadStatement: return "BAD STATEMENT";
    default: return "";
  }
}

void put(std::string& line, std::size_t at, std::string_view text) { line.replace(at, text.size(), text); }

// A later part overwrites an earlier one where they overlap (the device
// over the location, the index mark inside the new location).
std::string end_part(const ListFields& f) {
  std::string part(kEndPartSize, ' ');
  if (f.width) put(part, kWidthAt, fmt_int(*f.width, 4));
  if (f.location) put(part, kLocationAt, fmt_int_zero(*f.location, 6, 4));
  if (f.new_location) put(part, kNewLocationAt, fmt_int_zero(*f.new_location, 7, 4));
  if (f.index_mark) part[kIndexMarkAt] = *f.index_mark;
  if (f.instruction) put(part, kInstructionAt, pad(*f.instruction, 12));
  if (f.device) put(part, kDeviceAt, pad(*f.device, 3));
  return part;
}

}  // namespace

ListingWriter::ListingWriter(std::ostream* out, int max_lines, bool after_captions)
    : out_(out), max_lines_(max_lines), carriage_(after_captions ? '0' : ' ') {}

void ListingWriter::set_title(std::string_view page_head, std::string_view deck_id) {
  page_head_ = pad(page_head, 52);
  deck_id_ = pad(deck_id, 5);
}

void ListingWriter::statement(const ListedStatement& s) {
  if (!active()) return;
  const std::string_view card = s.card;
  std::string text = s.seq ? fmt_int(*s.seq, 5) : std::string(5, ' ');
  text += ' ' + cols(card, 1, 2) + ' ' + cols(card, 3, 5) + "  " + cols(card, 6, 11) + ' ' + cols(card, 16, 20) +
          ' ' + cols(card, 21, 72) + ' ' + s.suffix + end_part(s.fields) + pad(s.tag, 5) +
          (s.card_no ? fmt_int(*s.card_no, 5) : std::string(5, ' ')) + "  " + pad(error_word(s.error_code), 13);
  line(text);
}

void ListingWriter::comment(std::optional<int> seq, std::string_view card, std::string_view tag) {
  if (!active()) return;
  std::string text = seq ? fmt_int(*seq, 5) : std::string(5, ' ');
  text += ' ';
  text += cols(card, 1, 2);
  text += ' ';
  text += cols(card, 3, 5);
  text += "  ";
  text += cols(card, 6, 80);
  if (!seq) text = pad(text, 105) + std::string(tag);
  line(text);
}

void ListingWriter::line(std::string_view text) {
  if (!active()) return;
  if (page_full()) heading();
  print(text);
  ++lines_on_page_;
}

void ListingWriter::heading() {
  if (!active()) return;
  page_line();
  print(kColumnHeading);
  print("");
  lines_on_page_ += 2;
}

void ListingWriter::page_line() {
  if (!active()) return;
  ++page_no_;
  print(std::string(1, carriage_) + std::string(26, ' ') + page_head_ + std::string(7, ' ') + deck_id_ +
        std::string(15, ' ') + "PAGE" + fmt_int(page_no_, 5));
  if (carriage_ == kEject) lines_on_page_ = 0;
  ++lines_on_page_;
  carriage_ = kEject;
}

void ListingWriter::print(std::string_view text) {
  if (!active()) return;
  *out_ << rtrim(text) << '\n';
}

}  // namespace velumar
