// Diagnostics: the one operation through which every statement error and
// warning is reported, with the job's error count and the statement's
// one-character error code. A diagnostic is also a piece of data (severity,
// message, source line, columns, pass) that the report on standard error
// shows in the form editors and build tools read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_set>
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
  /// Writes the report to `out` (null: the report is off), naming `file`,
  /// in colour when asked.
  void show_on(std::ostream* out, std::string file, bool colour) {
    out_ = out;
    file_ = std::move(file);
    colour_ = colour;
  }

  void report(const Diagnostic& d);
  /// Hands every diagnostic reported from now on (each once, shown or not)
  /// to `observer` as well; an empty one stops that.
  void observe(std::function<void(const Diagnostic&)> observer) { observer_ = std::move(observer); }
  /// Starts counting for a new job.
  void begin_job();
  /// Writes `file: N errors, M warnings` when the job had either.
  void end_job();

  int errors() const { return errors_; }
  int warnings() const { return warnings_; }
  /// An error has been shown for this source line in the current job.
  bool error_shown(long long line) const { return std::binary_search(error_lines_.begin(), error_lines_.end(), line); }

  /// The text of a diagnostic as report() writes it, without colour.
  static std::string render(const Diagnostic& d, std::string_view file, bool colour = false);

 private:
  std::ostream* out_ = nullptr;
  std::function<void(const Diagnostic&)> observer_;
  std::string file_ = "<stdin>";
  bool colour_ = false;
  int errors_ = 0;
  int warnings_ = 0;
  /// Lines with an error shown, ascending (they come nearly in order).
  std::vector<long long> error_lines_;
  /// Hashes of the (line, column, message) already shown. Two different
  /// diagnostics share a 64-bit hash with a chance of about n*n/2^65 for n
  /// shown: a duplicate suppressed by mistake is far less likely than the
  /// machine failing, and 8 bytes a diagnostic instead of the whole text
  /// keep a program full of errors small.
  std::unordered_set<std::uint64_t> shown_;
};

/// Where the second copy of a statement diagnostic goes.
enum class ErrorDest { Stdout, Listing, Scratch };

/// A statement diagnostic as the console, the listing and the job's records
/// keep it: an error or a warning, its message, the number of the statement
/// within its program and the operand field it concerns (0: none).
struct StatementMessage {
  bool warning = false;
  std::string_view message;
  int line_no = 0;
  int field = 0;
};

class Diagnostics {
 public:
  /// Receives the diagnostics routed to the job's records (ErrorDest::Scratch).
  using ScratchSink = std::function<void(const StatementMessage&)>;

  /// `out` is standard output; `scratch` receives the diagnostics pass 1
  /// keeps in the job's records, before the record of their statement.
  explicit Diagnostics(std::ostream& out, ScratchSink scratch = {}) : out_(out), scratch_(std::move(scratch)) {}

  /// A new job: no errors counted, statement numbers start again.
  void begin_job() {
    error_count_ = 0;
    line_no_ = 0;
    storage_reported_ = false;
  }
  /// Pass 1 starts a statement: its number within the program (which every
  /// console line quotes), no error code, no error yet.
  void begin_statement(int line_no) {
    line_no_ = line_no;
    code_ = err::NoErr;
    failed_ = false;
  }

  /// The error code of the statement being processed (err::NoErr: none).
  char code() const { return code_; }
  void set_code(char code) { code_ = code; }
  /// An error (not a warning) has been reported for the statement, or it
  /// has been marked as failed without a message of its own.
  bool statement_failed() const { return failed_; }
  void fail_statement() { failed_ = true; }

  /// Errors counted in the current job.
  int errors_in_job() const { return error_count_; }
  /// Counts an error that the statement's flag reports, without a message.
  void count_error() { ++error_count_; }

  /// The job has been told that it exceeds storage ("CORE STORAGE
  /// EXCEEDED" or a location outside storage), so later passes do not
  /// repeat it.
  bool storage_reported() const { return storage_reported_; }
  void set_storage_reported(bool reported = true) { storage_reported_ = reported; }

  /// Sends the second copy of each diagnostic to `dest`; the listing is
  /// used when `dest` is Listing, and standard output stands in when it is null.
  void route_to(ErrorDest dest, std::ostream* listing = nullptr) {
    error_dest_ = dest;
    listing_ = listing;
  }

  /// Keeps the statement's error code and failed mark as they are while it
  /// lives: a diagnostic that belongs to another record (a literal of the
  /// statement's pool) is counted and reported, but does not flag the statement.
  class KeepStatement {
   public:
    explicit KeepStatement(Diagnostics& diag) : diag_(diag), code_(diag.code_), failed_(diag.failed_) {}
    ~KeepStatement() {
      diag_.code_ = code_;
      diag_.failed_ = failed_;
    }
    KeepStatement(const KeepStatement&) = delete;
    KeepStatement& operator=(const KeepStatement&) = delete;

   private:
    Diagnostics& diag_;
    char code_;
    bool failed_;
  };

  /// Reports MESSAGE: counts it (unless a warning), writes the numbered line
  /// to standard output and the second copy where it is routed. Never stops the run.
  void do_error(std::string_view message, std::optional<int> field = std::nullopt, bool warning = false);

  /// Writes only the historic forms of do_error (console line and second
  /// copy), as for the count line that ends a job.
  void historic(std::string_view message, std::optional<int> field = std::nullopt, bool warning = false);

  /// Reports on standard error only: flags that have no historic message,
  /// the reader's notes on bytes and line ends.
  void report(Diagnostic d);
  /// A diagnostic located at the current statement's card.
  Diagnostic here(Severity severity, std::string message, int first_col = 0, int last_col = 0) const;

  /// Where the statement being processed stands, for the report on
  /// standard error: its line in the source file (0: none), its card
  /// (empty: none shown) and the pass.
  void locate(long long source_line, std::string_view card, int pass) {
    source_line_ = source_line;
    card_.assign(card);
    pass_ = pass;
  }
  /// What is reported from now on concerns the whole job, not a card.
  void locate_job() { locate(0, {}, pass_); }
  long long source_line() const { return source_line_; }

  /// Details for the next do_error only: the columns concerned, another
  /// wording for standard error, hints.
  struct Next {
    int first_col = 0;
    int last_col = 0;
    std::string text;
    std::vector<Note> notes;
  };
  /// The details of the next do_error, to add to.
  Next& next() { return next_; }
  /// Sets the columns of the next do_error; returns its details to add more.
  Next& at(int first_col, int last_col) {
    next_.first_col = first_col;
    next_.last_col = last_col;
    return next_;
  }

  Reporter& reporter() { return reporter_; }
  const Reporter& reporter() const { return reporter_; }

  /// The 109-column record form of a diagnostic (also its standard-output form).
  static std::string record_text(const StatementMessage& m);

 private:
  std::ostream& out_;
  ScratchSink scratch_;
  std::ostream* listing_ = nullptr;
  ErrorDest error_dest_ = ErrorDest::Stdout;
  char code_ = err::NoErr;
  bool failed_ = false;
  int error_count_ = 0;
  bool storage_reported_ = false;
  int line_no_ = 0;
  long long source_line_ = 0;
  std::string card_;
  int pass_ = 1;
  Next next_;
  Reporter reporter_;
  long long tab_noted_line_ = -1;  ///< the line whose tab has been explained
};

}  // namespace velumar
