#include "tools/lsp/document.h"

#include <algorithm>
#include <utility>

namespace velumar::lsp {

namespace {

// Bytes of the UTF-8 sequence that begins with `lead`; a byte that begins
// none counts alone, so that any text converts.
int sequence_length(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 1;
}

// UTF-16 units of the sequence that begins with `lead`.
int utf16_units(unsigned char lead) { return sequence_length(lead) == 4 ? 2 : 1; }

}  // namespace

Document::Document(std::string uri, long long version, std::string text)
    : uri_(std::move(uri)), version_(version), text_(std::move(text)) {
  index_lines();
}

void Document::replace(std::string text, long long version) {
  text_ = std::move(text);
  version_ = version;
  index_lines();
}

void Document::edit(const Range& range, std::string_view new_text, Encoding enc) {
  std::size_t from = offset_of(range.start, enc);
  std::size_t to = offset_of(range.end, enc);
  if (to < from) std::swap(from, to);
  text_.replace(from, to - from, new_text);
  index_lines();
}

void Document::index_lines() {
  line_starts_.assign(1, 0);
  for (std::size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
    if (text_[i] == '\n' || text_[i] == '\r') line_starts_.push_back(i + 1);
  }
}

std::string_view Document::line(int n) const {
  if (n < 0 || n >= line_count()) return {};
  const std::size_t start = line_starts_[static_cast<std::size_t>(n)];
  std::size_t end = n + 1 < line_count() ? line_starts_[static_cast<std::size_t>(n) + 1] : text_.size();
  while (end > start && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
  return std::string_view(text_).substr(start, end - start);
}

int Document::character_of(int n, int byte, Encoding enc) const {
  const std::string_view text = line(n);
  const std::size_t limit = std::min(static_cast<std::size_t>(std::max(byte, 0)), text.size());
  if (enc == Encoding::Utf8) return static_cast<int>(limit);
  int ch = 0;
  for (std::size_t i = 0; i < limit;) {
    const auto lead = static_cast<unsigned char>(text[i]);
    ch += utf16_units(lead);
    i += static_cast<std::size_t>(sequence_length(lead));
  }
  return ch;
}

int Document::byte_of(int n, int ch, Encoding enc) const {
  const std::string_view text = line(n);
  if (ch <= 0) return 0;
  if (enc == Encoding::Utf8) return static_cast<int>(std::min(static_cast<std::size_t>(ch), text.size()));
  std::size_t i = 0;
  for (int units = 0; i < text.size() && units < ch;) {
    const auto lead = static_cast<unsigned char>(text[i]);
    units += utf16_units(lead);
    i = std::min(text.size(), i + static_cast<std::size_t>(sequence_length(lead)));
  }
  return static_cast<int>(i);
}

Range Document::card_range(long long line_no, int first_col, int last_col, Encoding enc) const {
  const int n = static_cast<int>(std::clamp(line_no - 1, 0LL, static_cast<long long>(line_count() - 1)));
  if (first_col <= 0) {
    const int end = character_of(n, static_cast<int>(line(n).size()), enc);
    return Range{{n, 0}, {n, end}};
  }
  // Columns past the end of the line (blank on the card) stay past it, so
  // that a report on a blank column still points somewhere visible.
  const int length = static_cast<int>(line(n).size());
  const auto to_char = [&](int byte) {
    return byte <= length ? character_of(n, byte, enc) : character_of(n, length, enc) + (byte - length);
  };
  const int last = std::max(last_col, first_col);
  return Range{{n, to_char(first_col - 1)}, {n, to_char(last)}};
}

std::size_t Document::offset_of(const Position& p, Encoding enc) const {
  if (p.line < 0) return 0;
  if (p.line >= line_count()) return text_.size();
  return line_starts_[static_cast<std::size_t>(p.line)] + static_cast<std::size_t>(byte_of(p.line, p.character, enc));
}

}  // namespace velumar::lsp
