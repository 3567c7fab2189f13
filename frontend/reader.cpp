#include "frontend/reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "core/card.h"
#include "core/charset.h"

namespace velumar {

namespace {

constexpr std::size_t kCardWidth = kCardColumns;
// A file of binary data would otherwise give a report for nearly every byte.
constexpr int kMaxByteReports = 100;

constexpr std::size_t kBlockSize = 1 << 16;

// What each byte of a line becomes on the card: every form accepted for a
// 1401 character its canonical one (a-z upper case, the second forms of
// the record mark, the group mark, "(" and ")" the first), so that every
// later stage and every output sees one form; every other byte as it is,
// to be reported.
constexpr std::array<char, 256> kCardByte = [] {
  std::array<char, 256> table{};
  for (std::size_t b = 0; b < 256; ++b) table[b] = ASCII_TO_BCD[b] != 0 ? CANONICAL[b] : static_cast<char>(b);
  return table;
}();

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// 1 for the bytes of a card (after folding) that no 1401 character stands for.
constexpr std::array<unsigned char, 256> kForeign = [] {
  std::array<unsigned char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    table[static_cast<std::size_t>(b)] = c != ' ' && ASCII_TO_BCD[static_cast<std::size_t>(b)] == 0 ? 1 : 0;
  }
  return table;
}();

// The bytes that stand for themselves on a card and are 1401 characters.
constexpr unsigned kFirstPlain = 0x20;
constexpr unsigned kPlainCount = 0x40;
constexpr bool plain_bytes_hold() {
  for (unsigned b = kFirstPlain; b < kFirstPlain + kPlainCount; ++b)
    if (kCardByte[b] != static_cast<char>(b) || kForeign[b] != 0) return false;
  return true;
}
static_assert(plain_bytes_hold());

// Copies `size` characters of `text` into `line` as an 80-column card: cut
// or blank-padded, each 1401 character in its canonical form; other bytes
// stay as they are. True when the card holds a byte that is no 1401
// character.
bool set_card(std::string& line, const char* text, std::size_t size) {
  const std::size_t n = std::min(size, kCardWidth);
  line.resize(kCardWidth);
  char* const out = line.data();
  std::memset(out, ' ', kCardWidth);  // a size known here: no call
  std::memcpy(out, text, n);
  // The 64 characters are the bytes 0x20-0x5F: a card of those alone stays
  // as it is. Eight bytes at a time: a byte of 0x60 or more gets its top
  // bit from adding 0x20, a byte below 0x20 from subtracting it.
  static_assert(kCardWidth % sizeof(std::uint64_t) == 0);
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kTops = 0x80 * kOnes;
  std::uint64_t outside = 0;
  for (std::size_t i = 0; i < kCardWidth; i += sizeof(std::uint64_t)) {
    std::uint64_t w;
    std::memcpy(&w, out + i, sizeof w);
    outside |= ((w + kFirstPlain * kOnes) | w | ((w - kFirstPlain * kOnes) & ~w)) & kTops;
  }
  if (outside == 0) return false;
  unsigned char foreign = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = kCardByte[static_cast<unsigned char>(out[i])];
    out[i] = c;
    foreign |= kForeign[static_cast<unsigned char>(c)];
  }
  return foreign != 0;
}

// The length of the UTF-8 sequence at the start of BYTES (2-4), or 0 when
// none starts there: text in another script is text all the same.
std::size_t utf8_length(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  const std::size_t n = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (n == 0 || bytes.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) return 0;
  return n;
}

// NUL bytes that make an input data rather than text: an executable or an
// archive holds them by the hundred, a deck at most a stray one or two.
constexpr std::size_t kNulsInData = 4;

}  // namespace

std::string not_text(std::string_view sample) {
  sample = sample.substr(0, std::min(sample.size(), kTextSample));
  if (static_cast<std::size_t>(std::count(sample.begin(), sample.end(), '\0')) >= kNulsInData)
    return "it holds NUL bytes";
  std::size_t printing = 0;
  for (std::size_t i = 0; i < sample.size();) {
    const auto byte = static_cast<unsigned char>(sample[i]);
    if ((byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f') {
      ++printing;
      ++i;
    } else if (const std::size_t n = utf8_length(sample.substr(i)); n > 0) {
      printing += n;
      i += n;
    } else {
      ++i;
    }
  }
  if (printing * 2 >= sample.size()) return {};
  return "most of its first bytes are not printable characters";
}

bool SourceReader::holds_text() {
  if (in_ == nullptr || !at_start_ || !pending_.empty()) return true;
  if (block_pos_ == block_end_ && !fill()) return true;
  const std::string_view sample(block_.data() + block_pos_, std::min(block_end_ - block_pos_, kTextSample));
  const std::string why = not_text(sample);
  if (why.empty()) return true;
  if (report_) report_(diagnose(DiagId::NotText, {why}));
  return false;
}

void SourceReader::take_pending(std::string& line) {
  Pending& p = pending_.back();
  card_line_ = p.line;
  if (p.blanks > 0) {
    line.assign(kCardWidth, ' ');
    ++p.line;
    if (--p.blanks == 0) pending_.pop_back();
    return;
  }
  std::string card = std::move(p.card);
  pending_.pop_back();
  if (set_card(line, card.data(), card.size())) saw_foreign_ = true;
}

bool SourceReader::fill() {
  // Bytes not taken yet (only while the start of the input is examined)
  // move to the front, and the read goes after them.
  const std::size_t kept = block_end_ - block_pos_;
  if (kept > 0) std::memmove(block_.data(), block_.data() + block_pos_, kept);
  block_pos_ = 0;
  block_end_ = kept;
  if (at_end_ || failed_) return false;
  std::streambuf* buf = in_->rdbuf();
  if (buf == nullptr || !in_->good()) {
    at_end_ = true;
    failed_ = in_->bad();
    return false;
  }
  // As reading through the stream would: what is tied to it (a prompt on
  // the terminal) is written out before the read may wait for input.
  if (in_->tie() != nullptr) in_->tie()->flush();
  if (block_.empty()) block_.resize(kBlockSize);
  try {
    // Waits for at least one character, then takes what the buffer holds
    // without waiting for more, so that lines typed at a terminal are
    // read as they come.
    if (std::istream::traits_type::eq_int_type(buf->sgetc(), std::istream::traits_type::eof())) {
      at_end_ = true;
      return false;
    }
    const std::streamsize avail = std::max<std::streamsize>(buf->in_avail(), 1);
    const auto room = static_cast<std::streamsize>(block_.size() - kept);
    const std::streamsize n = buf->sgetn(block_.data() + kept, std::min(avail, room));
    block_end_ = kept + static_cast<std::size_t>(std::max<std::streamsize>(n, 0));
  } catch (...) {
    // The stream buffer's device failed: the stream is marked bad as a read
    // through it would have marked it, for the driver to report.
    failed_ = true;
    try {
      in_->setstate(std::ios::badbit);
    } catch (const std::ios::failure&) {
      // A stream that throws on failure: the failure is reported as a read failure all the same.
    }
    return false;
  }
  return block_end_ > kept;
}

void SourceReader::skip_byte_order_mark() {
  at_start_ = false;
  // Read on while what has come could still be the mark: a line typed at a
  // terminal is not held up.
  const auto could_be_mark = [this] {
    const std::size_t n = block_end_ - block_pos_;
    return n < kByteOrderMark.size() && kByteOrderMark.starts_with(std::string_view(block_.data() + block_pos_, n));
  };
  while (could_be_mark() && fill()) {
  }
  if (!std::string_view(block_.data() + block_pos_, block_end_ - block_pos_).starts_with(kByteOrderMark)) return;
  block_pos_ += kByteOrderMark.size();
  if (report_)
    report_(diagnose(DiagId::ByteOrderMarkSkipped).on(1));
}

const char* SourceReader::whole_line() const {
  if (cr_lines_ || block_pos_ == block_end_) return nullptr;
  const char* const start = block_.data() + block_pos_;
  const std::size_t avail = block_end_ - block_pos_;
  const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
  if (lf == nullptr) return nullptr;
  // A CR alone inside the line ends a line of its own (and before any LF
  // may say that the file ends its lines so): such a line takes the careful way.
  const auto* cr = static_cast<const char*>(std::memchr(start, '\r', static_cast<std::size_t>(lf - start)));
  if (cr != nullptr && cr + 1 != lf) return nullptr;
  return lf;
}

int SourceReader::read_line(std::string& line) {
  if (!pending_.empty()) {
    take_pending(line);
    return 0;
  }
  if (in_ == nullptr) return -1;
  if (at_start_) skip_byte_order_mark();

  if (const char* line_end = whole_line()) {
    const char* const start = block_.data() + block_pos_;
    std::size_t size = std::min(static_cast<std::size_t>(line_end - start), kCardWidth + 1);
    block_pos_ = static_cast<std::size_t>(line_end - block_.data()) + 1;
    lf_seen_ = true;
    card_line_ = ++physical_line_;
    if (size > 0 && size <= kCardWidth && start[size - 1] == '\r') --size;
    if (set_card(line, start, size)) check_codes(line);
    return 0;
  }

  // Only the first 81 characters are kept (the 81st tells whether a CR
  // before the line feed lies inside the card), so a huge line costs no memory.
  char text[kCardWidth + 1];
  std::size_t size = 0;
  bool got_any = false;
  bool ended_by_newline = false;
  // The next character without taking it; EOF at the end of the input.
  const auto peek = [this]() -> int {
    if (block_pos_ == block_end_ && !fill()) return EOF;
    return static_cast<unsigned char>(block_[block_pos_]);
  };
  for (;;) {
    if (block_pos_ == block_end_ && !fill()) break;
    const char c = block_[block_pos_++];
    got_any = true;
    if (c == '\n') {
      ended_by_newline = true;
      lf_seen_ = true;
      break;
    }
    if (c == '\r' && peek() != '\n') {
      lone_cr();
      break;
    }
    if (c == '\r' && cr_lines_) {
      ++block_pos_;  // CR LF in a file of CR line ends: one line end
      break;
    }
    if (size <= kCardWidth) text[size++] = c;
  }
  if (failed_) return 1;
  if (!got_any) return -1;
  ++physical_line_;
  card_line_ = physical_line_;
  // A line from another system ends in CR LF: the CR is part of the line end.
  if (ended_by_newline && size > 0 && size <= kCardWidth && text[size - 1] == '\r') --size;
  if (set_card(line, text, size)) check_codes(line);
  return 0;
}

void SourceReader::lone_cr() {
  if (cr_lines_) return;
  // Lines of old editors end in a CR alone: the first such end, before any
  // LF, says how the whole file is written.
  if (!lf_seen_) {
    cr_lines_ = true;
    if (report_)
      report_(diagnose(DiagId::LoneCarriageReturns));
    return;
  }
  // In a file of LF line ends a CR alone (an editor that mixed them) ends
  // the card as an LF would, so that no two cards run into one.
  if (lone_cr_reported_ || !report_) return;
  lone_cr_reported_ = true;
  report_(diagnose(DiagId::CarriageReturnEndsLine).on(physical_line_ + 1));
}

void SourceReader::check_codes(const std::string& text) {
  saw_foreign_ = true;
  if (!report_) return;
  // One report a card for each kind: its first tab, and its first other
  // byte that no 1401 character stands for, each with how many it holds.
  int tab_column = 0, tabs = 0, bad_column = 0, bad = 0;
  unsigned char bad_byte = 0;
  for (std::size_t i = 0; i < text.size() && i < kCardWidth; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == ' ' || bcd_code(text[i]) != 0) continue;
    if (byte == '\t') {
      if (tabs++ == 0) tab_column = static_cast<int>(i) + 1;
    } else if (bad++ == 0) {
      bad_column = static_cast<int>(i) + 1;
      bad_byte = byte;
    }
  }
  if (tabs > 0) report_tab(text, tab_column, tabs);
  if (bad == 0) return;
  ++bad_cards_;
  if (bad_cards_ > kMaxByteReports) {
    if (bad_cards_ == kMaxByteReports + 1)
      report_(diagnose(DiagId::MoreBytesNotReported));
    return;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", bad_byte);
  Diagnostic d = diagnose(DiagId::Not1401Byte, {hex}).on(physical_line_, text).at(bad_column, bad_column);
  if (bad > 1) d.message += " (the card holds " + std::to_string(bad) + " such bytes)";
  report_(std::move(d));
}

void SourceReader::report_tab(const std::string& text, int column, int tabs) {
  Diagnostic d = diagnose(DiagId::TabInCard, {std::to_string(column)}).on(physical_line_, text).at(column, column);
  if (tabs > 1) d.message += " (the card holds " + std::to_string(tabs) + " tabs)";
  // How to mend it is said once for the whole file.
  if (!tab_explained_)
    d.notes.push_back({"a card's fields stand in fixed columns: expand the tabs to blanks as the editor shows them "
                       "(for instance 'expand prog.s > fixed.s')",
                       column, column});
  tab_explained_ = true;
  report_(std::move(d));
}

}  // namespace velumar
