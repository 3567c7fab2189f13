// The command line as GNU tools present it, next to the historic forms:
// the long options and their help, the one-line report on standard error of
// an unknown option or of a file or option that failed.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velumar {

/// A long option: its name with the dashes, the name of its value (empty:
/// none) and what it does.
struct LongOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
};

/// Every long option, in the order --help lists them.
const std::vector<LongOption>& long_options();

/// What --help adds after the usage text: every option, the long ones
/// included, one a line.
std::string long_options_help();

/// `velumar: unknown option 'ARG'`, with the long option meant when one is
/// within a small edit distance; no newline.
std::string unknown_option_line(std::string_view arg);

/// The GNU form of a failure that the historic lines report as `what`
/// (`While opening "listing" file`), with its file and status:
/// `velumar: cannot open listing file 'x.lst': No such file or directory`;
/// no newline.
std::string failure_line(std::string_view what, int status, std::optional<std::string_view> file);

/// The GNU form of a refusal to use a file that is another file of the run:
/// `velumar: cannot open listing file 'x': same file as the input file`.
std::string refusal_line(std::string_view what, std::string_view file, std::string_view other);

/// While one lives, the one-line reports of failures (failure_line,
/// unknown_option_line) are written to `err` (null: nowhere). They are not
/// passed through every function that reports a failure on standard output
/// with the historic lines; the run sets one up around itself.
class FailureLines {
 public:
  explicit FailureLines(std::ostream* err);
  ~FailureLines();
  FailureLines(const FailureLines&) = delete;
  FailureLines& operator=(const FailureLines&) = delete;

  /// Writes `line` and a newline to the current stream, if any.
  static void emit(std::string_view line);

 private:
  std::ostream* previous_;
};

}  // namespace velumar
