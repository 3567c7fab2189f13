// A description of an assembled program as data: per job its symbols with
// their definitions and uses, its statements with where they went and what
// they put into storage, the storage ranges it occupies and its
// diagnostics. An editor, a debugger or a writer of the symbol map,
// cross-reference and HTML listing reads it instead of the printed listing.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "tables/statement_log.h"

namespace velumar {

struct Context;

/// Columns of a card (1-80) on a line of the source file (1 is the first).
struct SourceSpan {
  long long line = 0;
  int first_col = 0;
  int last_col = 0;
};

/// What defines a symbol. Literal stands for a literal of a pool; Undefined
/// for a name that is used and never defined.
enum class SymbolKind { Instruction, Constant, Area, Equ, Literal, Undefined };
/// The word for a kind in the symbol map and the tools: "instruction", "equ", ...
std::string_view kind_name(SymbolKind kind);
/// Whether an operand reads the storage a symbol names or stores into it.
enum class Access { Read, Store };

/// One operand that names a symbol or literal.
struct SymbolUse {
  SourceSpan span;          ///< the name as written in the operand
  int operand = 0;          ///< 1 (A), 2 (B), 3 (d) ...
  Access access = Access::Read;
};

struct SymbolInfo {
  std::string name;               ///< as the symbol table holds it (suffix included), or the literal as written
  std::optional<int> value;       ///< none when undefined
  int index_reg = 0;              ///< 0 none, 1-3
  SymbolKind kind = SymbolKind::Undefined;
  int width = 0;                  ///< positions of what defines it (0 for EQU)
  std::optional<SourceSpan> definition;
  std::vector<SymbolUse> uses;    ///< in source order
};

struct StatementInfo {
  SourceSpan span;              ///< the card: line, columns 1-80
  std::string op;               ///< operation field as written ("MCW", "DCW", ...), trailing blanks cut
  std::string text;             ///< the card, columns 1-80, trailing blanks cut
  std::string kind;             ///< "" for a card; "literal", "area", "adcon", "generated", "field", ... otherwise
  std::optional<int> seq;       ///< the listing's sequence number; none on generated lines
  std::optional<int> location;  ///< as the listing shows it (leftmost of an instruction, rightmost of a constant)
  int width = 0;
  std::optional<int> first, last;  ///< storage positions it occupies, when it occupies any
  std::string chars;            ///< the characters it placed, first to last (blank where it placed none)
  std::string word_marks;       ///< parallel to chars: '1' where a word mark is set, '0' elsewhere
  char flag = ' ';              ///< the error code the listing shows (' ': none)
};

/// A run of storage positions one kind of statement occupies.
struct StorageRange {
  int first = 0;
  int last = 0;
  std::string kind;  ///< "instructions", "constants", "literals", "area"
};

struct JobInfo {
  std::string name;                       ///< JOB card text, empty when none
  std::optional<int> start;               ///< END's start address
  int core_size = 0;                      ///< the core size chosen with -b
  bool assembled = true;                  ///< false: the input ended before END, passes 2 and 3 did not run
  std::vector<StorageRange> ranges;       ///< ascending
  std::vector<SymbolInfo> symbols;        ///< sorted by name, literals after the names
  std::vector<StatementInfo> statements;  ///< in source order
  std::vector<Diagnostic> diagnostics;    ///< as reported, in order
};

struct ProgramInfo {
  std::vector<JobInfo> jobs;
};

/// Assembles `source` in memory with the given command-line options (e.g.
/// "-bI4"), writing no file and nothing to standard output or error.
/// Options that name files are taken as given but open nothing.
ProgramInfo analyze(std::string_view source, const std::vector<std::string>& options = {});

/// The symbol of `info` named `name`; null when there is none.
const SymbolInfo* find_symbol(const JobInfo& info, std::string_view name);

/// Gathers a ProgramInfo while a run assembles: pass 3 reports to it
/// through the StatementLog, the run calls job_done after each job.
class ProgramCollector : public StatementLog {
 public:
  ProgramCollector();
  ~ProgramCollector() override;
  ProgramCollector(const ProgramCollector&) = delete;
  ProgramCollector& operator=(const ProgramCollector&) = delete;

  /// A job starts: what pass 3 reports and the diagnostics belong to it.
  void begin_job();
  /// Takes a diagnostic of the current job.
  void diagnostic(const Diagnostic& d);
  /// The job is assembled (or stopped): its description from the tables.
  void job_done(const Context& ctx, bool assembled = true);
  /// The description of the current job as it stands after pass 3; kept
  /// for job_done.
  const JobInfo& describe(const Context& ctx);
  /// Called with the job's description after its symbol table is listed
  /// (the cross-reference writes itself there).
  void on_symbol_table(std::function<void(const JobInfo&, ListingWriter&)> f) { symbol_table_ = std::move(f); }
  void set_context(const Context* ctx) { ctx_ = ctx; }
  /// With false, only the diagnostics are gathered: job_done describes nothing.
  void set_describing(bool on) { describing_ = on; }

  ProgramInfo& program() { return program_; }
  const ProgramInfo& program() const { return program_; }
  /// Every diagnostic of the run in order, also those outside any job.
  const std::vector<Diagnostic>& all_diagnostics() const { return all_diagnostics_; }

  void listed(std::size_t record, std::optional<int> seq, std::optional<int> location, std::optional<int> width,
              std::optional<int> next, char flag) override;
  void placed(std::size_t record, int first, std::string_view chars, bool word_mark) override;
  void marked(std::size_t record, int at) override;
  void after_symbol_table(ListingWriter& listing) override;

 private:
  struct Pass3Record;
  ProgramInfo program_;
  std::vector<Pass3Record> records_;
  std::vector<Diagnostic> diagnostics_;
  std::vector<Diagnostic> all_diagnostics_;
  std::optional<JobInfo> current_;
  const Context* ctx_ = nullptr;
  bool describing_ = true;
  std::function<void(const JobInfo&, ListingWriter&)> symbol_table_;

  Pass3Record& at(std::size_t record);
};

}  // namespace velumar
