// The card reader: source lines as 80-column, upper-case card images.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace velumar {

class SourceReader {
 public:
  explicit SourceReader(std::istream* in = nullptr) : in_(in) {}
  void set_input(std::istream* in) { in_ = in; }

  /// Number of the current source line within the current program; pass 1
  /// resets and advances it, diagnostics quote it.
  int LINE_NO = 0;

  /// Reads one line into LINE (exactly 80 columns, a-z folded to upper
  /// case; a line ending in CR LF is read as ending in LF). Returns 0 when
  /// a line was read, negative at the end of input, positive on a read failure.
  int read_line(std::string& LINE);

  /// Puts a card image back: the next read_line returns it (cards put back
  /// come out in the reverse order of putting back). Lets pass 1 look ahead.
  void unread(const std::string& LINE) { pending_.push_back(LINE); }

 private:
  std::istream* in_;
  std::vector<std::string> pending_;
};

}  // namespace velumar
