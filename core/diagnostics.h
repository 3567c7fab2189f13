// Diagnostics: the one operation through which every statement error and
// warning is reported, with the job's error count and the statement's
// one-character error code. A diagnostic is also a piece of data (severity,
// message, source line, columns, pass) that the report on standard error
// shows in the form editors and build tools read.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace velumar {

/// Statement error codes, printed by the listing as a word.
namespace err {
constexpr char NoErr = ' ';
constexpr char AddrErr = '1';
constexpr char LabelErr = '2';
constexpr char MacroErr = '3';
constexpr char NoBXLErr = '4';
constexpr char OpErr = '5';
constexpr char Overcall = '6';
constexpr char SymErr = '7';
constexpr char UndefOrg = '8';
constexpr char BadStatement = '9';
}  // namespace err

enum class Severity { Error, Warning, Note };

/// A hint shown under a diagnostic; columns 0 when it concerns no column.
struct Note {
  std::string text;
  int first_col = 0;
  int last_col = 0;
};

/// One diagnostic as data. Line 0 stands for the whole file; columns are
/// card columns 1-80, 0 when the diagnostic concerns no column.
struct Diagnostic {
  Severity severity = Severity::Error;
  std::string message;
  long long line = 0;
  int first_col = 0;
  int last_col = 0;
  int pass = 0;
  std::string card;  ///< the card the columns point into; empty: none shown
  std::vector<Note> notes;
};

/// A diagnostic with the fields given; pass 0 stands for the current one.
inline Diagnostic make_diagnostic(Severity severity, std::string message, long long line = 0, int first_col = 0,
                                  int last_col = 0, std::string card = {}) {
  Diagnostic d;
  d.severity = severity;
  d.message = std::move(message);
  d.line = line;
  d.first_col = first_col;
  d.last_col = last_col;
  d.card = std::move(card);
  return d;
}

/// The report for people on standard error: each diagnostic as
/// `file:line:col: error: message`, the card and a caret line under the
/// columns concerned, its notes, and per job a count line. Counts only what
/// it shows; shows each diagnostic once.
class Reporter {
 public:
  std::ostream* out = nullptr;  ///< null: the report is off
  std::string file = "<stdin>";
  bool colour = false;

  void report(const Diagnostic& d);
  /// Starts counting for a new job.
  void begin_job();
  /// Writes `file: N errors, M warnings` when the job had either.
  void end_job();

  int errors() const { return errors_; }
  int warnings() const { return warnings_; }
  /// An error has been shown for this source line in the current job.
  bool error_shown(long long line) const { return error_lines_.count(line) != 0; }

  /// The text of a diagnostic as report() writes it, without colour.
  static std::string render(const Diagnostic& d, std::string_view file, bool colour = false);

 private:
  int errors_ = 0;
  int warnings_ = 0;
  std::set<long long> error_lines_;
  std::set<std::tuple<long long, int, std::string>> shown_;
};

/// Where the second copy of a diagnostic goes.
enum class ErrorDest { Stdout, Listing, Scratch };

class Diagnostics {
 public:
  /// `out` is standard output.
  explicit Diagnostics(std::ostream& out) : out_(out) {}

  /// The number of the statement within its program, which every
  /// diagnostic quotes; pass 1 sets it as it reads the cards.
  void set_line_no(int line_no) { line_no_ = line_no; }

  char error_code = err::NoErr;  ///< error code of the statement being processed
  bool had_error = false;        ///< set by every error (not by warnings)
  int error_count = 0;           ///< errors reported in the current job

  ErrorDest error_dest = ErrorDest::Stdout;
  std::ostream* listing = nullptr;  ///< the listing, used when error_dest is Listing
  /// Receives the 109-column diagnostic record while error_dest is Scratch
  /// (pass 1 keeps it in the intermediate file before the statement record).
  std::function<void(std::string_view)> scratch;

  /// Reports MESSAGE: counts it (unless a warning), writes the numbered line
  /// to standard output and the second copy to error_dest. Never stops the run.
  void do_error(std::string_view message, std::optional<int> field = std::nullopt, bool warning = false);

  /// Writes only the historic forms of do_error (console line and second
  /// copy), as for the count line that ends a job.
  void historic(std::string_view message, std::optional<int> field = std::nullopt, bool warning = false);

  /// Reports on standard error only: flags that have no historic message,
  /// the reader's notes on bytes and line ends.
  void report(Diagnostic d);
  /// A diagnostic located at the current statement's card.
  Diagnostic here(Severity severity, std::string message, int first_col = 0, int last_col = 0) const;

  // Where the statement being processed stands, for the report on
  // standard error: its line in the source file (0: none), its card, the pass.
  long long source_line = 0;
  std::string card;
  int pass = 1;

  /// Details for the next do_error only: the columns concerned, another
  /// wording for standard error, hints.
  struct Next {
    int first_col = 0;
    int last_col = 0;
    std::string text;
    std::vector<Note> notes;
  };
  Next next;
  /// Sets the columns of the next do_error; returns `next` to add more.
  Next& at(int first_col, int last_col) {
    next.first_col = first_col;
    next.last_col = last_col;
    return next;
  }

  Reporter reporter;

  /// The 109-column record form of a diagnostic (also its standard-output form).
  static std::string record_text(std::string_view why, std::string_view message, int line_no, int field);

 private:
  std::ostream& out_;
  int line_no_ = 0;
  long long tab_noted_line_ = -1;  ///< the line whose tab has been explained
};

}  // namespace velumar
