#include "frontend/reader.h"

#include <utility>

namespace velumar {

namespace {

constexpr std::size_t kCardWidth = 80;

// Cuts or pads to 80 columns and folds a-z to upper case; other bytes,
// including those above 'z', stay as they are.
void normalise(std::string& line) {
  line.resize(kCardWidth, ' ');
  for (char& c : line)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

}  // namespace

int SourceReader::read_line(std::string& LINE) {
  if (!pending_.empty()) {
    LINE = std::move(pending_.back());
    pending_.pop_back();
    normalise(LINE);
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
      break;
    }
    if (text.size() <= kCardWidth) text.push_back(c);
  }
  if (in_->bad()) return 1;
  if (!got_any) return -1;
  // A line from another system ends in CR LF: the CR is part of the line end.
  if (ended_by_newline && !text.empty() && text.size() <= kCardWidth && text.back() == '\r') text.pop_back();
  LINE = std::move(text);
  normalise(LINE);
  return 0;
}

}  // namespace velumar
