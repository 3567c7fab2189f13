// The card reader: source lines as 80-column, upper-case card images.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/diagnostics.h"

namespace velumar {

/// How much of the start of an input tells text from other data: the first cards.
constexpr std::size_t kTextSample = 2048;
/// Why an input that begins with `start` (its first kTextSample bytes) is
/// not text: it holds several NUL bytes, or most of it is bytes that print
/// nothing; empty when it is text. A stray NUL or a remark in another
/// script is text, which the cards' own reports deal with.
std::string not_text(std::string_view start);

class SourceReader {
 public:
  /// `report` receives the reader's warnings; none are made when it is empty.
  explicit SourceReader(std::istream* in = nullptr, std::function<void(Diagnostic)> report = {})
      : in_(in), report_(std::move(report)) {}
  /// Reads from `in` from now on; what was read ahead of the old input is dropped.
  void set_input(std::istream* in) {
    in_ = in;
    block_pos_ = block_end_ = 0;
    at_end_ = failed_ = false;
    at_start_ = true;
  }

  /// Number of the current source line within the current program; pass 1
  /// restarts it for each job and advances it for each card, diagnostics
  /// quote it.
  int line_no() const { return line_no_; }
  void restart_line_no() { line_no_ = 0; }
  void advance_line_no() { ++line_no_; }

  /// Reads one line into `line` (exactly 80 columns, each 1401 character in
  /// its canonical form: a-z upper case, the second forms of the record
  /// mark, the group mark, "(" and ")" the first). A line ending in CR LF is
  /// read as ending in LF, and a CR alone ends a line as well; a UTF-8
  /// byte-order mark at the start of the input is skipped. Returns 0 when
  /// a line was read, negative at the end of input, positive on a read
  /// failure. Bytes of columns 1-80 that no 1401 character stands for, CR
  /// line ends and the byte-order mark are reported.
  int read_line(std::string& line);

  /// Looks at the start of the input before anything is read from it:
  /// false (after reporting it) when it is not text, that is when it holds
  /// a NUL byte or when most of its first cards are bytes that print
  /// nothing (an executable, an archive). Reads ahead only what the input
  /// has ready, so that lines typed at a terminal are not held up.
  bool holds_text();

  /// True once a card read so far held a byte that no 1401 character stands
  /// for: until then no text taken from the cards needs masking for print.
  bool saw_foreign() const { return saw_foreign_; }

  /// Line of the input file that the card last returned came from.
  long long card_line() const { return card_line_; }

  /// Puts a card image back with its line in the file: the next read_line
  /// returns it (cards put back come out in the reverse order of putting
  /// back). Lets pass 1 look ahead.
  void unread(const std::string& card, long long line = 0) { pending_.push_back({card, line, 0}); }
  /// Puts back `count` blank cards from lines `first_line` onwards (one
  /// after another in the file): they come out first to last. A long run of
  /// blank cards costs no more than one.
  void unread_blanks(long long first_line, long long count) {
    if (count > 0) pending_.push_back({std::string(), first_line, count});
  }

 private:
  /// A card put back, or a run of `blanks` blank cards from line `line` on.
  struct Pending {
    std::string card;
    long long line;
    long long blanks;
  };

  /// Returns the card put back last.
  void take_pending(std::string& line);
  /// Reads the next block of the input into block_; false at the end of the
  /// input or when the read failed (then failed_ is set).
  bool fill();
  /// The LF that ends the next line when the block holds all of it and the
  /// line needs no look at its CRs; null otherwise.
  const char* whole_line() const;
  /// Skips a UTF-8 byte-order mark at the start of the input.
  void skip_byte_order_mark();
  /// A CR not followed by LF has ended a line: reported once.
  void lone_cr();
  /// Reports the bytes of a card that are not 1401 characters.
  void check_codes(const std::string& text);
  /// Reports the tabs of a card: the first in `column`, `tabs` in all.
  void report_tab(const std::string& text, int column, int tabs);

  std::istream* in_;
  std::function<void(Diagnostic)> report_;
  int line_no_ = 0;
  std::vector<Pending> pending_;
  // The input is read in blocks of what its stream buffer holds; a line is
  // taken from the block, without a call into the stream per character.
  std::vector<char> block_;
  std::size_t block_pos_ = 0;
  std::size_t block_end_ = 0;
  bool at_end_ = false;  ///< the input has ended: it is not read again
  bool failed_ = false;  ///< a read of the input failed
  long long physical_line_ = 0;
  long long card_line_ = 0;  ///< lines read from the input, all jobs together
  bool lf_seen_ = false;
  bool cr_lines_ = false;  ///< the input ends its lines in CR alone
  int bad_cards_ = 0;      ///< cards whose foreign bytes were reported so far
  bool saw_foreign_ = false;  ///< see saw_foreign()
  bool tab_explained_ = false;  ///< the note on mending tabs has been given
  bool lone_cr_reported_ = false;
  bool at_start_ = true;  ///< nothing has been read from the input yet
};

}  // namespace velumar
