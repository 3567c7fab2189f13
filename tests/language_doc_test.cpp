// The language reference (docs/language.md) against the assembler: its
// operation tables list every mnemonic of the operation table once, with
// the same operation character and operand rules, and every example program
// in it assembles without a message (and, with SimH, runs to its halt).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frontend/opcodes.h"
#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kDoc = fs::path(VELUMAR_SOURCE_DIR) / "docs" / "language.md";

std::vector<std::string> cells_of(const std::string& row) {
  std::vector<std::string> cells;
  std::istringstream in(row.substr(1));
  for (std::string cell; std::getline(in, cell, '|');) {
    const auto first = cell.find_first_not_of(' ');
    cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
  }
  return cells;
}

// How the document writes an operand rule, a device letter or a fixed d-modifier.
std::string rule_text(FieldRule rule, const char* other) {
  switch (rule.need) {
    case Need::Required: return "required";
    case Need::Prohibited: return "no";
    case Need::Optional: return "optional";
    case Need::Fixed: break;
  }
  return std::string(other) + " `" + rule.fixed + "`";
}

TEST(LanguageDoc, OperationTablesAgreeWithTheAssembler) {
  std::ifstream in(kDoc);
  ASSERT_TRUE(in) << kDoc;
  std::map<std::string, int> listed;
  bool in_table = false;  // inside a table headed "| Mnemonic |"
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("| Mnemonic |", 0) == 0) in_table = true;
    if (line.rfind('|', 0) != 0) in_table = false;
    if (!in_table || line.rfind("| `", 0) != 0) continue;
    const std::vector<std::string> c = cells_of(line);
    const std::string mnemonic = c[0].substr(1, c[0].size() - 2);
    const Op found = find_op(mnemonic);
    ASSERT_NE(found, Op::Unknown) << "not an operation: " << line;
    ++listed[mnemonic];
    const OpInfo& op = op_info(found);
    if (c.size() == 6) {  // machine instruction: Mnemonic, Op, A, B, d, Use
      EXPECT_EQ(c[1], std::string("`") + op.machine_op + "`") << line;
      EXPECT_EQ(c[2], rule_text(op.a, "device")) << line;
      EXPECT_EQ(c[3], rule_text(op.b, "?")) << line;
      EXPECT_EQ(c[4], rule_text(op.d, "fixed")) << line;
    } else {  // pseudo-operation: Mnemonic, Use
      EXPECT_EQ(c.size(), 2u) << line;
      EXPECT_EQ(op.machine_op, ' ') << "listed as a pseudo-operation: " << line;
    }
  }
  for (const OpInfo& row : kOpTable) {
    if (&row == &op_info(Op::Unknown)) continue;
    const std::string_view padded = row.mnemonic;
    const std::string mnemonic{padded.substr(0, padded.find(' '))};
    if (!mnemonic.empty()) {
      EXPECT_EQ(listed[mnemonic], 1) << mnemonic << " must be listed once";
    }
  }
}

TEST(LanguageDoc, ExamplesAssembleCleanlyAndHalt) {
  std::ifstream in(kDoc);
  std::vector<std::string> programs;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line == (inside ? "```" : "```velumar")) {
      inside = !inside;
      if (inside) programs.emplace_back();
    } else if (inside) {
      programs.back() += line + "\n";
    }
  }
  ASSERT_GE(programs.size(), 5u);
  TempDir dir;
  const std::string out = shell_quote((dir.path() / "out.txt").string());
  for (std::size_t i = 0; i < programs.size(); ++i) {
    SCOPED_TRACE(programs[i]);
    const std::string source = shell_quote((dir.path() / ("example" + std::to_string(i) + ".s")).string());
    std::ofstream(dir.path() / ("example" + std::to_string(i) + ".s")) << programs[i];
    const std::string files = " -l " + shell_quote((dir.path() / "x.lst").string()) + " -o " +
                              shell_quote((dir.path() / "x.obj").string()) + " ";
    EXPECT_EQ(run_command(shell_quote(VELUMAR_EXE) + files + source + " >" + out), 0);
    EXPECT_EQ(read_file(dir.path() / "out.txt"), "") << "the assembler's messages";
    if (simh_available()) {
      EXPECT_EQ(run_command(shell_quote(VELUMAR_RUN) + " " + source + " >/dev/null 2>" + out), 0)
          << read_file(dir.path() / "out.txt");
    }
  }
}

}  // namespace
}  // namespace velumar::e2e
