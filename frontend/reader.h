// The card reader: source lines as 80-column, upper-case card images.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <utility>
#include <vector>

#include "core/diagnostics.h"

namespace velumar {

class SourceReader {
 public:
  /// `report` receives the reader's warnings; none are made when it is empty.
  explicit SourceReader(std::istream* in = nullptr, std::function<void(Diagnostic)> report = {})
      : in_(in), report_(std::move(report)) {}
  void set_input(std::istream* in) { in_ = in; }

  /// Number of the current source line within the current program; pass 1
  /// restarts it for each job and advances it for each card, diagnostics
  /// quote it.
  int line_no() const { return line_no_; }
  void restart_line_no() { line_no_ = 0; }
  void advance_line_no() { ++line_no_; }

  /// Reads one line into `line` (exactly 80 columns, a-z folded to upper
  /// case; a line ending in CR LF is read as ending in LF, and in a file
  /// whose first line ends in a CR alone every CR ends a line). Returns 0
  /// when a line was read, negative at the end of input, positive on a
  /// read failure. Bytes of columns 1-80 that no 1401 character stands for
  /// and CR-only line ends are reported.
  int read_line(std::string& line);

  /// Line of the input file that the card last returned came from.
  long long card_line() const { return card_line_; }

  /// Puts a card image back with its line in the file: the next read_line
  /// returns it (cards put back come out in the reverse order of putting
  /// back). Lets pass 1 look ahead.
  void unread(const std::string& card, long long line = 0) { pending_.emplace_back(card, line); }

 private:
  /// Reports the bytes of a card that are not 1401 characters.
  void check_codes(const std::string& text);

  std::istream* in_;
  std::function<void(Diagnostic)> report_;
  int line_no_ = 0;
  std::vector<std::pair<std::string, long long>> pending_;
  long long physical_line_ = 0;
  long long card_line_ = 0;  ///< lines read from the input, all jobs together
  bool lf_seen_ = false;
  bool cr_lines_ = false;  ///< the input ends its lines in CR alone
  int bad_bytes_ = 0;      ///< bytes reported so far
};

}  // namespace velumar
