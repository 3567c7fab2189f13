#include "frontend/reader.h"

#include <cstdio>
#include <utility>

#include "core/charset.h"

namespace velumar {

namespace {

constexpr std::size_t kCardWidth = 80;
// A file of binary data would otherwise give a report for nearly every byte.
constexpr int kMaxByteReports = 100;

// Cuts or pads to 80 columns and folds a-z to upper case; other bytes,
// including those above 'z', stay as they are.
void normalise(std::string& line) {
  line.resize(kCardWidth, ' ');
  for (char& c : line)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

}  // namespace

int SourceReader::read_line(std::string& line) {
  if (!pending_.empty()) {
    line = std::move(pending_.back().first);
    card_line_ = pending_.back().second;
    pending_.pop_back();
    normalise(line);
    return 0;
  }
  if (in_ == nullptr) return -1;

  // Only the first 81 characters are kept (the 81st tells whether a CR
  // before the line feed lies inside the card), so a huge line costs no memory.
  std::string text;
  bool got_any = false;
  bool ended_by_newline = false;
  char c = 0;
  while (in_->get(c)) {
    got_any = true;
    if (c == '\n') {
      ended_by_newline = true;
      lf_seen_ = true;
      break;
    }
    if (c == '\r' && !lf_seen_ && in_->peek() != '\n') {
      // Lines of old editors end in a CR alone: the first such end, before
      // any LF, says how the whole file is written.
      if (!cr_lines_ && report_)
        report_(make_diagnostic(Severity::Warning, "lines end in a carriage return alone; each is read as a line end"));
      cr_lines_ = true;
    }
    if (c == '\r' && cr_lines_) {
      if (in_->peek() == '\n') in_->get(c);
      break;
    }
    if (text.size() <= kCardWidth) text.push_back(c);
  }
  if (in_->bad()) return 1;
  if (!got_any) return -1;
  ++physical_line_;
  card_line_ = physical_line_;
  // A line from another system ends in CR LF: the CR is part of the line end.
  if (ended_by_newline && !text.empty() && text.size() <= kCardWidth && text.back() == '\r') text.pop_back();
  line = std::move(text);
  normalise(line);
  check_codes(line);
  return 0;
}

void SourceReader::check_codes(const std::string& text) {
  if (!report_) return;
  for (std::size_t i = 0; i < text.size() && i < kCardWidth; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == ' ' || bcd_code(text[i]) != 0) continue;
    ++bad_bytes_;
    if (bad_bytes_ > kMaxByteReports) {
      if (bad_bytes_ == kMaxByteReports + 1)
        report_(make_diagnostic(Severity::Note, "further bytes that are not 1401 characters are not reported"));
      return;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    const int column = static_cast<int>(i) + 1;
    report_(make_diagnostic(Severity::Warning, "byte " + std::string(hex) + " is not a 1401 character", physical_line_,
                           column, column, text));
  }
}

}  // namespace velumar
