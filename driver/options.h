// The command line: options, usage text, version banner, and the report of
// a file or conversion failure.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"

namespace velumar {

/// The banner printed by -V and as the last line of the usage text.
constexpr std::string_view kVersion = "1401 Velumar cross-assembler, version 1.3";

/// The files that options name.
enum class FileOption { Listing, Macros, Object, Tape, Map, Html, Diagnostics };

/// How diagnostics are reported on standard error (or the file of
/// --diagnostics-file): as text for people, GCC-style JSON or SARIF 2.1.0.
enum class DiagnosticsFormat { Text, Json, Sarif };

/// The io_error text for a file that cannot be opened.
std::string_view open_failure_text(FileOption which);
/// The io_error text for a file that cannot be written (or closed).
std::string_view write_failure_text(FileOption which);

/// Everything the command line asks for.
struct Options {
  Settings settings;
  Traces traces;
  bool long_literals = false;  ///< -L: a long literal is stored once
  bool dump_symbols = false;   ///< -s: the tables after passes 1 and 2
  bool keep_scratch = false;   ///< --keepscratch
  bool do_list = false;
  bool do_macros = false;
  bool do_object = false;
  bool do_tape = false;
  std::string listing_name, macros_name, object_name, tape_name;
  std::optional<std::string> input;  ///< none: the source is standard input
  bool report = true;                ///< located diagnostics on standard error
  bool xref = false;                 ///< --xref: cross-reference and storage summary in the listing
  std::optional<std::string> map_name;          ///< --map FILE
  std::optional<std::string> html_name;         ///< --html FILE
  std::optional<std::string> diagnostics_name;  ///< --diagnostics-file FILE
  DiagnosticsFormat diagnostics_format = DiagnosticsFormat::Text;
  int error_limit = 50;              ///< errors shown on standard error per job; 0: all
  /// Warnings about the command line itself, for standard error; the run
  /// goes on as the options say.
  std::vector<std::string> warnings;
};

/// The smallest page length that holds the page heading (3 lines) and one
/// statement line.
constexpr int kShortestPage = 4;

/// What parse_options decided.
struct OptionsResult {
  bool run = true;  ///< false: the run stops here with `status`
  int status = 0;
};

/// Opens the file named by a file option when the option is examined;
/// returns false after reporting the failure.
using FileOpener = std::function<bool(FileOption, const std::string& name)>;

/// Examines `args` (argument 0 is the invocation name) left to right and
/// fills `opts`. Usage text, banner, -b messages and conversion failures go
/// to `out`. Stops with status 0 after -V, --version, exactly -h or
/// --help, 2 after any other
/// unknown option, a value that does not convert or a file that `open`
/// could not open.
[[nodiscard]] OptionsResult parse_options(const std::vector<std::string>& args, Options& opts, std::ostream& out,
                                          const FileOpener& open);

/// The 26 lines of the usage text, each ending in a newline.
std::string usage_text(std::string_view invocation, int core_size);

/// Applies the value of -b: boot loader letter and core-size selector.
/// Bad letters or selectors print one line to `out` and fall back.
void apply_boot_option(std::string_view value, Settings& settings, std::ostream& out);

/// Reads a free-form integer: optional blanks, an optional sign, digits,
/// optional blanks. Returns false with `iostat` set to EINVAL (not a
/// number) or ERANGE (does not fit).
[[nodiscard]] bool read_free_int(std::string_view text, int& value, int& iostat);

/// The one-line description of an I/O status: the system's text for an
/// errno value, "End of file" for a negative status.
std::string io_status_text(int status);

/// Reports a failure on `out`: `what`, the file name when given, the status
/// description and "Error status code = " `status`, each on its own line.
void io_error(std::ostream& out, std::string_view what, int status,
              std::optional<std::string_view> file = std::nullopt);

}  // namespace velumar
