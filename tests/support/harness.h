// What the tests share: a temporary folder, shell commands run in it, cards
// written field by field, and velumar run in this process with its streams
// collected.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velumar::e2e {

/// A fresh directory under the system's temporary directory, removed with
/// everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

/// `text` quoted for /bin/sh.
std::string shell_quote(std::string_view text);

/// Runs a shell command; returns its exit status (-1 when it did not run).
int run_command(const std::string& command);

/// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::filesystem::path& p);

/// The lines of `text`, without their line ends.
std::vector<std::string> lines_of(const std::string& text);

/// The blank-separated words of a file (none when it is absent),
/// as the .args files beside the golden decks hold options.
std::vector<std::string> words_in(const std::filesystem::path& file);

/// The names without extension of the files in `dir` that end in
/// `extension`, sorted.
std::vector<std::string> stems(const std::filesystem::path& dir, const std::string& extension);

/// A parameterised test's name for `info.param`: each character that is
/// not a letter or digit becomes '_'.
std::string test_name(const ::testing::TestParamInfo<std::string>& info);

/// True when VELUMAR_UPDATE_GOLDEN=1 asks the tests to rewrite recorded outputs.
bool updating_golden();

/// The headline of each report, note and summary that a run on standard
/// input wrote to standard error (lines that start "<stdin>"); the card and
/// caret lines under them are left out.
std::vector<std::string> report_headlines(const std::string& err);

/// One card: label from column 6, operation from column 16, operands from
/// column 21, ended by a newline. A label longer than ten columns (a
/// comment's text) is kept whole and moves what follows it.
std::string card(std::string_view label, std::string_view op, std::string_view operands = "");

/// What one run left: its exit status and what it wrote.
struct Outcome {
  int status = -1;
  std::string out, err;
  // In-process runs: where the passes' location counters differ, and how
  // many records all three passes reported.
  std::string disagreement;
  std::size_t compared = 0;
};

/// Runs velumar in this process with `args` (without the program name),
/// `source` as standard input, in the current directory.
Outcome assemble(std::vector<std::string> args, const std::string& source = "");

/// Runs `command` through the shell in `dir`, its standard output in
/// out.txt and its standard error in err.txt there, and reads both back.
Outcome run_in(const std::filesystem::path& dir, const std::string& command);

/// Adds a test failure for each of `parts` that `text` does not hold after
/// the parts before it.
void expect_in_order(const std::string& text, const std::vector<std::string>& parts);

}  // namespace velumar::e2e
