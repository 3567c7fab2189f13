// Golden end-to-end cases: every tests/golden/NAME.s is assembled by the
// built velumar in a scratch directory, and its listing, object deck, tape
// file and console output (with the exit status) must equal the committed
// NAME.lst, NAME.obj, NAME.tape and NAME.out byte for byte. NAME.args, when
// present, holds extra command-line options on one line. Cases named bad-*
// are programs with errors and must end with status 1; the others with 0.
// VELUMAR_UPDATE_GOLDEN=1 rewrites the expected files instead (see
// tests/golden/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kVelumar = VELUMAR_EXE;
const fs::path kGolden = fs::path(VELUMAR_SOURCE_DIR) / "tests" / "golden";

bool updating() { return updating_golden(); }

// A unified diff of two texts by lines (longest common subsequence), with
// three lines of context; each shown line ends in a visible mark so that
// trailing blanks can be told apart. Long diffs are cut.
std::string line_diff(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> a = lines_of(expected);
  const std::vector<std::string> b = lines_of(actual);
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);

  struct Op {
    char tag;  // ' ', '-' or '+'
    size_t line;
    std::string text;
  };
  std::vector<Op> ops;
  size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && a[i] == b[j]) {
      ops.push_back({' ', i + 1, a[i]});
      ++i, ++j;
    } else if (i < n && (j == m || lcs[i + 1][j] >= lcs[i][j + 1])) {
      ops.push_back({'-', i + 1, a[i]});
      ++i;
    } else {
      ops.push_back({'+', j + 1, b[j]});
      ++j;
    }
  }

  constexpr size_t kContext = 3;
  constexpr size_t kMaxShown = 200;
  std::vector<bool> show(ops.size(), false);
  for (size_t k = 0; k < ops.size(); ++k) {
    if (ops[k].tag == ' ') continue;
    const size_t lo = k >= kContext ? k - kContext : 0;
    const size_t hi = std::min(ops.size(), k + kContext + 1);
    for (size_t x = lo; x < hi; ++x) show[x] = true;
  }
  std::ostringstream out;
  out << "--- expected\n+++ actual   (each line ends at the mark \u23CE)\n";
  size_t shown = 0;
  bool gap = true;
  for (size_t k = 0; k < ops.size(); ++k) {
    if (!show[k]) {
      gap = true;
      continue;
    }
    if (gap) out << "@@ line " << ops[k].line << " @@\n";
    gap = false;
    if (++shown > kMaxShown) {
      out << "... (diff cut)\n";
      break;
    }
    out << ops[k].tag << ops[k].text << "\u23CE\n";
  }
  if (!expected.empty() && expected.back() != '\n') out << "(expected text has no final newline)\n";
  if (!actual.empty() && actual.back() != '\n') out << "(actual text has no final newline)\n";
  return out.str();
}

std::vector<std::string> case_names() { return stems(kGolden, ".s"); }

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, OutputsMatchExpectedFiles) {
  const std::string name = GetParam();
  TempDir dir;
  fs::copy_file(kGolden / (name + ".s"), dir.path() / (name + ".s"));

  std::string command = "cd " + shell_quote(dir.path().string()) + " && " + shell_quote(kVelumar.string());
  for (const std::string& word : words_in(kGolden / (name + ".args"))) command += " " + shell_quote(word);
  command += " -l " + shell_quote(name + ".lst") + " -o " + shell_quote(name + ".obj") + " -t " +
             shell_quote(name + ".tape") + " " + shell_quote(name + ".s") + " > stdout.txt 2> stderr.txt";
  const int status = run_command(command);
  ASSERT_GE(status, 0) << "velumar did not run: " << command;

  // Standard error holds the located diagnostics of a case that has any
  // (name.err) and nothing otherwise; an update writes the file when there
  // are some and removes it when there are none.
  const fs::path err_file = kGolden / (name + ".err");
  const std::string err = read_file(dir.path() / "stderr.txt");
  if (updating()) {
    if (err.empty() && fs::exists(err_file)) {
      fs::remove(err_file);
      std::cout << "removed " << err_file.string() << "\n";
    } else if (!err.empty() && (!fs::exists(err_file) || read_file(err_file) != err)) {
      std::ofstream(err_file, std::ios::binary) << err;
      std::cout << "updated " << err_file.string() << "\n";
    }
  } else {
    EXPECT_EQ(err, fs::exists(err_file) ? read_file(err_file) : std::string()) << "standard error differs";
  }
  const bool negative = name.rfind("bad-", 0) == 0;
  EXPECT_EQ(status, negative ? 1 : 0) << (negative ? "a bad-* case must end with status 1"
                                                   : "a case with no errors must end with status 0");

  struct Output {
    std::string extension;
    std::string actual;
  };
  const std::vector<Output> outputs = {
      {".lst", read_file(dir.path() / (name + ".lst"))},
      {".obj", read_file(dir.path() / (name + ".obj"))},
      {".tape", read_file(dir.path() / (name + ".tape"))},
      {".out", read_file(dir.path() / "stdout.txt") + "exit " + std::to_string(status) + "\n"},
  };
  for (const Output& o : outputs) {
    const fs::path expected_file = kGolden / (name + o.extension);
    if (updating()) {
      if (!fs::exists(expected_file) || read_file(expected_file) != o.actual) {
        std::ofstream(expected_file, std::ios::binary) << o.actual;
        std::cout << "updated " << expected_file.string() << "\n";
      }
      continue;
    }
    if (!fs::exists(expected_file)) {
      ADD_FAILURE() << expected_file.string() << " is missing (VELUMAR_UPDATE_GOLDEN=1 writes it)";
      continue;
    }
    const std::string expected = read_file(expected_file);
    if (expected != o.actual)
      ADD_FAILURE() << name << o.extension << " differs from the expected file\n" << line_diff(expected, o.actual);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(case_names()), test_name);

// The diff shown on a failure must point at the changed line.
TEST(GoldenDiff, ShowsChangedLinesWithContext) {
  const std::string diff = line_diff("a\nb\nc\nd\ne\nf\ng\nh\n", "a\nb\nc\nd\nE \nf\ng\nh\n");
  EXPECT_NE(diff.find("-e\u23CE\n+E \u23CE\n"), std::string::npos) << diff;
  EXPECT_NE(diff.find(" b\u23CE\n"), std::string::npos) << diff;
  EXPECT_EQ(diff.find(" a\u23CE\n"), std::string::npos) << diff;
}

// A directory without cases would make the suite pass by testing nothing.
TEST(GoldenCases, ThereAreCasesOfBothKinds) {
  const std::vector<std::string> names = case_names();
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.rfind("bad-", 0) == 0; }));
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.rfind("bad-", 0) != 0; }));
}

}  // namespace
}  // namespace velumar::e2e
