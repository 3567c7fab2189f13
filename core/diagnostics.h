// Diagnostics: the one operation through which every statement error and
// warning is reported, with the job's error count and the statement's
// one-character error code. A diagnostic is also a piece of data (severity,
// message, source line, columns, pass) that the report on standard error
// shows in the form editors and build tools read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace velumar {

/// Statement error codes: the one character a record keeps for its
/// statement's flag. The listing prints each as a word (diagnostics.def).
namespace err {
constexpr char NoErr = ' ';
constexpr char AddrErr = '1';  ///< code or data in the read area, 1-80
constexpr char LabelErr = '2';
constexpr char MacroErr = '3';
constexpr char NoBXLErr = '4';
constexpr char OpErr = '5';
constexpr char Overcall = '6';
constexpr char SymErr = '7';
constexpr char UndefOrg = '8';
constexpr char BadStatement = '9';
constexpr char OutsideStorage = '0';  ///< code or data outside storage, 0-15999; listed as ADDR too
}  // namespace err

enum class Severity { Error, Warning, Note };
/// "error", "warning" or "note", as every report writes a severity.
std::string_view severity_word(Severity s);

/// The identifier of each diagnostic (core/diagnostics.def).
enum class DiagId : std::uint8_t {
#define VELUMAR_DIAG(id, name, severity, flag, historic, word, wording, hint) id,
#include "core/diagnostics.def"
#undef VELUMAR_DIAG
};

/// A row of the diagnostics table.
struct DiagInfo {
  DiagId id;
  std::string_view name;      ///< the stable identifier tools read
  Severity severity;
  char flag;                  ///< the error code it stands for; '\0': none
  std::string_view historic;  ///< console, listing and record text; empty: standard error only
  std::string_view word;      ///< the listing's word for the flag
  std::string_view wording;   ///< for people; empty: the historic text
  std::string_view hint;      ///< a note under it; empty: none
};

/// The table row of `id`.
const DiagInfo& diag_info(DiagId id);
/// The stable identifier of `id` ("" for Unclassified), which tools show.
inline std::string_view to_string(DiagId id) { return diag_info(id).name; }
/// The row whose flag is `code`; none for a blank or unknown code.
const DiagInfo* flag_info(char code);
/// The word the listing prints for the error code; empty for none.
std::string_view flag_word(char code);

/// A hint shown under a diagnostic; columns 0 when it concerns no column.
/// A fix-it note also carries the text that mends the card: it replaces
/// columns first_col-last_col (an editor offers it as a code action).
struct Note {
  std::string text;
  int first_col = 0;
  int last_col = 0;
  std::optional<std::string> replacement = std::nullopt;
  /// A note about another line (a first definition): its line and card;
  /// line 0 stands for the diagnostic's own.
  long long line = 0;
  std::string card = {};
};

/// One diagnostic as data. Line 0 stands for the whole file; columns are
/// card columns 1-80, 0 when the diagnostic concerns no column.
struct Diagnostic {
  DiagId id = DiagId::Unclassified;
  Severity severity = Severity::Error;
  std::string message;   ///< the wording for people
  std::string historic;  ///< the text of the console line, listing line and record; empty: none
  long long line = 0;
  int first_col = 0;
  int last_col = 0;
  int pass = 0;
  std::string card;  ///< the card the columns point into; empty: none shown
  std::vector<Note> notes;
  int statement = 0;         ///< the statement's number within its program (console line and record)
  std::optional<int> field;  ///< the operand field it concerns
  /// Counted and written in the historic forms only: another report of the
  /// same statement says what it means on standard error.
  bool historic_only = false;

  /// The columns it concerns.
  Diagnostic&& at(int first, int last) && {
    first_col = first;
    last_col = last;
    return std::move(*this);
  }
  /// The operand field it concerns, which the console line and record show.
  Diagnostic&& in_field(int k) && {
    field = k;
    return std::move(*this);
  }
  /// The source line and card it concerns.
  Diagnostic&& on(long long source_line, std::string text = {}) && {
    line = source_line;
    card = std::move(text);
    return std::move(*this);
  }
};

/// A diagnostic built by hand (tests, tools), with no row of the table.
inline Diagnostic make_diagnostic(Severity severity, std::string message, long long line = 0, int first_col = 0,
                                  int last_col = 0, std::string card = {}) {
  Diagnostic d;
  d.severity = severity;
  d.message = std::move(message);
  return std::move(d).on(line, std::move(card)).at(first_col, last_col);
}

/// The diagnostic `id` with its texts filled from ARGS ("{}" in order) and
/// its hint as a note; no location yet.
Diagnostic diagnose(DiagId id, std::initializer_list<std::string_view> args = {});

/// Writes a form of the diagnostics raised: the historic console, listing
/// and record forms (output/), or any other.
class DiagnosticRenderer {
 public:
  virtual ~DiagnosticRenderer() = default;
  virtual void render(const Diagnostic& d) = 0;
};

/// The report for people on standard error: each diagnostic as
/// `file:line:col: error: message`, the card and a caret line under the
/// columns concerned, its notes, and per job a count line. Counts only what
/// it shows; shows each diagnostic once. A job's diagnostics are held until
/// it ends and then shown in line and column order, whichever pass found
/// them; what concerns the whole job comes last.
class Reporter {
 public:
  /// Writes the report to `out` (null: the report is off), naming `file`,
  /// in colour when asked.
  void show_on(std::ostream* out, std::string file, bool colour) {
    out_ = out;
    file_ = std::move(file);
    colour_ = colour;
  }
  /// Shows at most `limit` errors of a job (0: all); what follows them is
  /// counted in one line instead.
  void set_error_limit(int limit) { error_limit_ = limit; }

  void report(const Diagnostic& d);
  /// Hands every diagnostic reported from now on (each once, shown or not)
  /// to `observer` as well, in the order shown, when its job ends; an
  /// empty one stops that.
  void observe(std::function<void(const Diagnostic&)> observer) { observer_ = std::move(observer); }
  /// Starts counting for a new job.
  void begin_job();
  /// Shows the job's diagnostics and writes `file: N errors, M warnings`
  /// when the job had either; `historic_errors` is the count standard
  /// output gives the job, and the line says why when it differs.
  void end_job(std::optional<int> historic_errors = std::nullopt);

  int errors() const { return errors_; }
  int warnings() const { return warnings_; }
  /// An error has been shown for this source line in the current job.
  bool error_shown(long long line) const { return std::binary_search(error_lines_.begin(), error_lines_.end(), line); }

  /// The text of a diagnostic as report() writes it, without colour.
  static std::string render(const Diagnostic& d, std::string_view file, bool colour = false);

 private:
  /// Writes the held diagnostics in order, up to the error limit.
  void show_held();

  std::ostream* out_ = nullptr;
  std::function<void(const Diagnostic&)> observer_;
  std::string file_ = "<stdin>";
  bool colour_ = false;
  int error_limit_ = 0;
  int errors_ = 0;
  int warnings_ = 0;
  /// The job's diagnostics, to be shown when it ends.
  std::vector<Diagnostic> held_;
  /// Lines with an error shown, ascending (they come nearly in order).
  std::vector<long long> error_lines_;
  /// Hashes of the (line, column, message) already shown. Two different
  /// diagnostics share a 64-bit hash with a chance of about n*n/2^65 for n
  /// shown: a duplicate suppressed by mistake is far less likely than the
  /// machine failing, and 8 bytes a diagnostic instead of the whole text
  /// keep a program full of errors small.
  std::unordered_set<std::uint64_t> shown_;
};

/// The sink every statement diagnostic goes through: it keeps the job's
/// error count and the statement's error code, hands the historic forms to
/// their renderer and reports the diagnostic on standard error.
class Diagnostics {
 public:
  /// Hands the historic forms of what is raised to RENDERER (null: none
  /// written).
  void render_historic_with(DiagnosticRenderer* renderer) { historic_ = renderer; }

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
  /// Flags the statement with CODE unless it carries a flag already: the
  /// first fault found is the one the listing names. Every storage flag
  /// (read area, outside storage) is set this way, whichever pass or path
  /// finds it.
  void add_flag(char code) {
    if (code_ == err::NoErr) code_ = code;
  }
  /// An error (not a warning) has been reported for the statement, or it
  /// has been marked as failed without a message of its own.
  bool statement_failed() const { return failed_; }
  void fail_statement() { failed_ = true; }

  /// Errors counted in the current job.
  int errors_in_job() const { return error_count_; }
  /// Counts an error that the statement's flag reports, without a message.
  void count_error() { ++error_count_; }

  /// The job has been told that it exceeds storage ("CORE STORAGE
  /// EXCEEDED"), so later passes do not repeat it. A location counter
  /// below storage is another fault, with its own report.
  bool storage_reported() const { return storage_reported_; }
  void set_storage_reported(bool reported = true) { storage_reported_ = reported; }

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

  /// Raises a statement diagnostic: counts it (unless a warning), has its
  /// historic forms written and reports it on standard error at the current
  /// statement (without columns of its own: the statement's fields). Never
  /// stops the run.
  void do_error(Diagnostic d);
  /// Has only the historic forms of D written, as for the count line that ends a job.
  void historic(Diagnostic d);
  /// Reports D on standard error only, where it says it stands (the
  /// reader's notes on bytes and line ends). Counts nothing.
  void report(Diagnostic d);
  /// Reports D on standard error only, at the current statement: what a
  /// flag or a historic message says in more detail. Counts nothing.
  void report_here(Diagnostic d);

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

  Reporter& reporter() { return reporter_; }
  const Reporter& reporter() const { return reporter_; }

 private:
  /// D with the current statement's number, line, card and pass where it has none.
  void place(Diagnostic& d) const;

  DiagnosticRenderer* historic_ = nullptr;
  char code_ = err::NoErr;
  bool failed_ = false;
  int error_count_ = 0;
  bool storage_reported_ = false;
  int line_no_ = 0;
  long long source_line_ = 0;
  std::string card_;
  int pass_ = 1;
  Reporter reporter_;
};

}  // namespace velumar
