// velumar-run's command line.
#pragma once

#include <string>
#include <vector>

namespace velumar::run {

/// A tape drive attached to a file in the tape file's text form.
struct TapeUnit {
  int unit = 0;
  std::string file;
};

/// Everything the command line asks for.
struct Options {
  std::vector<std::string> data_files;
  std::vector<std::string> asm_options;  ///< passed to velumar as written
  bool boot_tape = false;
  std::string keep;
  int time_limit = 10;
  std::string source;
  std::vector<TapeUnit> tapes;
  std::string punch;
  long print_limit = 10000;  ///< 0: none
  bool trace = false;
  std::string trace_from, trace_to;  ///< labels; empty: the whole program
  long trace_limit = 10000;          ///< 0: none
  std::vector<std::string> breaks;   ///< LABEL or LABEL+n
  std::vector<std::string> show;
  bool stop_at_break = false;
  bool dump = false;
  bool why = false;
};

/// A command line that cannot be run: the status and the message (without
/// the program name); an empty message means "print the usage on standard error".
struct UsageError {
  int status;
  std::string message;
};

/// What the command line asks for: a run, or an answer already given.
enum class Parsed { Run, Help, Version };

/// Reads the arguments (argv[1..]) into `opts`; throws UsageError.
Parsed parse_options(const std::vector<std::string>& args, Options& opts);

/// The --help text.
std::string usage_text();

}  // namespace velumar::run
