// The listing's print positions, page lines and column headings.
#include "output/listing.h"

#include <algorithm>
#include <cstring>

#include "core/diagnostics.h"
#include "core/text.h"
#include "output/stream_out.h"

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

// Print positions of the statement line (0-based) and its width.
constexpr std::size_t kSeqAt = 0;
constexpr std::size_t kColumns1At = 6;    // card columns 1-2
constexpr std::size_t kColumns3At = 9;    // 3-5
constexpr std::size_t kLabelAt = 14;      // 6-11
constexpr std::size_t kOperationAt = 21;  // 16-20
constexpr std::size_t kOperandsAt = 27;   // 21-72
constexpr std::size_t kSuffixAt = 80;
constexpr std::size_t kEndPartAt = 81;
constexpr std::size_t kTagAt = 105;
constexpr std::size_t kCardNoAt = 110;
constexpr std::size_t kErrorAt = 117;
constexpr std::size_t kStatementWidth = 130;

// Writes `text` cut or blank-padded to `width` characters at `dst`.
void put_padded(char* dst, std::string_view text, std::size_t width) {
  const std::size_t n = std::min(text.size(), width);
  if (n > 0) std::memcpy(dst, text.data(), n);  // an empty view may have no data at all
  std::memset(dst + n, ' ', width - n);
}

// Writes `text`, cut to `width` characters, over blanks at `dst`.
void put_over_blanks(char* dst, std::string_view text, std::size_t width) {
  if (text.size() >= width)
    std::memcpy(dst, text.data(), width);  // a tag: a copy of known size
  else if (!text.empty())  // an empty view may have no data at all
    std::memcpy(dst, text.data(), text.size());
}

// Writes the end part at `dst`. A later part overwrites an earlier one
// where they overlap (the device over the location, the index mark inside
// the new location).
void put_end_part(char* dst, const ListFields& f) {
  if (f.width) put_int(dst + kWidthAt, *f.width, 4);
  if (f.location) put_int(dst + kLocationAt, *f.location, 6, 4);
  if (f.new_location) put_int(dst + kNewLocationAt, *f.new_location, 7, 4);
  if (f.index_mark) dst[kIndexMarkAt] = *f.index_mark;
  if (f.instruction) put_padded(dst + kInstructionAt, *f.instruction, 12);
  if (f.device) put_padded(dst + kDeviceAt, *f.device, 3);
}

// The sequence number in 5 positions, blank when absent.
void append_seq(std::string& line, std::optional<int> seq) {
  if (seq)
    append_int(line, *seq, 5);
  else
    line.append(5, ' ');
}

}  // namespace

ListingWriter::ListingWriter(std::ostream* out, int max_lines, bool after_captions)
    : out_(out), max_lines_(max_lines), carriage_(after_captions ? '0' : ' ') {}

void ListingWriter::set_title(std::string_view page_head, std::string_view deck_id) {
  page_head_ = pad(page_head, 52);
  deck_id_ = pad(deck_id, 5);
}

std::function<void(std::string_view)> ListingWriter::interleave_cards() {
  interleaved_ = true;
  return [this](std::string_view card) { line(card); };
}

void ListingWriter::loader_card(std::string_view caption, std::string_view text, int number) {
  // The caption takes print positions 1-21; the card's number within the
  // loader follows the card.
  std::string shown = pad(caption, 21);
  shown += text;
  append_int(shown, number, 23);
  print(shown);
}

void ListingWriter::statement(const ListedStatement& s) {
  if (!active()) return;
  const std::string_view card = s.card;
  static_assert(std::tuple_size_v<decltype(statement_)> == kStatementWidth + 1);
  char* const out = statement_.data();
  std::memset(out, ' ', kStatementWidth);
  if (s.seq) put_int(out + kSeqAt, *s.seq, 5);
  put_cols(out + kColumns1At, card, 1, 2);
  put_cols(out + kColumns3At, card, 3, 5);
  put_cols(out + kLabelAt, card, 6, 11);
  put_cols(out + kOperationAt, card, 16, 20);
  put_cols(out + kOperandsAt, card, 21, 72);
  out[kSuffixAt] = s.suffix;
  put_end_part(out + kEndPartAt, s.fields);
  put_over_blanks(out + kTagAt, s.tag, 5);
  if (s.card_no) put_int(out + kCardNoAt, *s.card_no, 5);
  const std::string_view word = flag_word(s.error_code);
  put_over_blanks(out + kErrorAt, word, 13);
  // Without an error word the text ends before its position.
  counted_line(out, word.empty() ? kErrorAt : kStatementWidth);
}

void ListingWriter::comment(std::optional<int> seq, std::string_view card, std::string_view tag) {
  if (!active()) return;
  std::string& text = text_;
  text.clear();
  append_seq(text, seq);
  text += ' ';
  append_cols(text, card, 1, 2);
  text += ' ';
  append_cols(text, card, 3, 5);
  text += "  ";
  append_cols(text, card, 6, 80);
  if (!seq) {
    text.resize(105, ' ');
    text += tag;
  }
  counted_line(text);
}

void ListingWriter::line(std::string_view text) {
  if (!active()) return;
  text_.assign(text);
  counted_line(text_);
}

void ListingWriter::counted_line(char* text, std::size_t size) {
  if (page_full()) heading();
  emit(text, size);
  ++lines_on_page_;
}

void ListingWriter::counted_line(std::string& text) {
  const std::size_t size = text.size();
  text += '\n';  // the room emit() needs
  counted_line(text.data(), size);
}

void ListingWriter::emit(char* text, std::size_t size) {
  // The line end goes after the text without trailing blanks, and the line
  // is written in one piece.
  const std::size_t kept = rtrim(std::string_view(text, size)).size();
  text[kept] = '\n';
  write_out(*out_, std::string_view(text, kept + 1));
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
  std::string text(1, carriage_);
  text.append(26, ' ');
  text += page_head_;
  text.append(7, ' ');
  text += deck_id_;
  text.append(15, ' ');
  text += "PAGE";
  append_int(text, page_no_, 5);
  print(text);
  if (carriage_ == kEject) lines_on_page_ = 0;
  ++lines_on_page_;
  carriage_ = kEject;
}

void ListingWriter::print(std::string_view text) {
  if (!active()) return;
  // Not text_: a heading printed before a counted line must leave that line alone.
  printed_.assign(text);
  printed_ += '\n';  // the room emit() needs
  emit(printed_.data(), text.size());
}

}  // namespace velumar
