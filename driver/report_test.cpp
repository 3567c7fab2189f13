// The report on standard error: each deck's located diagnostics, hints and
// count line, and the command-line warnings; standard output stays as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"

namespace velumar {
namespace {

std::string card(std::string_view label, std::string_view op, std::string_view operands = "") {
  std::string c(20, ' ');
  c.replace(5, label.size(), label);
  c.replace(15, op.size(), op);
  return c + std::string(operands) + "\n";
}

const std::string kEnd = card("", "END", "START");
const std::string kStart = card("START", "CS", "332");

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run(std::vector<std::string> args, const std::string& deck, bool terminal = false) {
  args.insert(args.begin(), "velumar");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(deck);
  std::ostringstream out, err;
  const int status = velumar_main(static_cast<int>(args.size()), argv.data(), in, out, err, terminal);
  return {status, out.str(), err.str()};
}

struct Case {
  const char* name;
  std::string deck;
  std::vector<std::string> args;
  std::vector<std::string> err;  ///< in this order on standard error
  std::string last;              ///< the last line of standard error
};

const std::vector<Case> kCases = {
    {"undefined_symbol_at_each_use", card("START", "B", "LOOP") + card("", "MCW", "X,LOOP") + kEnd, {},
     {"<stdin>:1:21: error: undefined symbol LOOP\n 1 |      START     B    LOOP\n   |                     ^~~~\n",
      "<stdin>:2:21: error: undefined symbol X\n", "<stdin>:2:23: error: undefined symbol LOOP\n"},
     "<stdin>: 3 errors"},
    {"address_outside_storage", kStart + card("", "MCW", "16500,211") + kEnd, {},
     {"<stdin>:2:21: error: address 16500 of operand 1 cannot be represented: storage is 0-15999\n"}, "<stdin>: 1 error"},
    {"plus_sign_hint", kStart + card("", "SBR", "PRTX+3") + card("PRTX", "DCW", "@A@") + kEnd, {},
     {"<stdin>:2:26: error: Offset or indexed name must be last thing in operand\n",
      "<stdin>:2:25: note: the 1401 plus sign is written '&': for PRTX+3 write PRTX&3\n"},
     "<stdin>: 1 error"},
    {"tab_shifts_columns", kStart + "\tA    B    START\n" + kEnd, {},
     {"<stdin>:2:1: warning: column 1 holds a tab, which is read as one blank: the columns after it are shifted\n"
      " 2 |  A    B    START\n   | ^\n",
      "<stdin>:2:1: note: a card's fields stand in fixed columns: expand the tabs",
      "<stdin>:2:16: error: Unrecognized op code\n"},
     "<stdin>: 1 error, 2 warnings"},
    {"op_code_one_column_right", kStart + " " + card("", "MCW", "START,211") + kEnd, {},
     {"<stdin>:2:16: error: Unrecognized op code\n",
      "<stdin>:2:16: note: the operation code in columns 16-20 reads 'MCW', which is not",
      "<stdin>:2:17: note: 'MCW' in columns 17-21 is a known operation code: the card's fields stand one column too "
      "far right"},
     "<stdin>: 1 error"},
    {"no_end", kStart + card("", "MCW", "START,211"), {},
     {"<stdin>: error: End of input before END: program not assembled\n"}, "<stdin>: 1 error"},
    {"locations_disagree", kStart + card("", "DCW", "@A@") + card("START", "DCW", "@B@") + kEnd, {},
     {"<stdin>:3:6: error: Label START is a duplicate\n", "<stdin>:1:6: note: first defined here\n"},
     "<stdin>: 1 error"},
    {"undefined_origin", kStart + card("", "ORG", "LIMBO") + kEnd, {},
     {"<stdin>:2:21: error: origin LIMBO is undefined\n", "<stdin>: error: Undefined or unresolvable symbols: LIMBO\n"},
     "<stdin>: 2 errors"},
    {"read_area_flag", card("START", "ORG", "40") + card("", "DCW", "@A@") + kEnd, {},
     {"<stdin>:2:21: error: the statement places code or data in positions 1-80"}, "<stdin>: 1 error"},
    // Past the end of storage is not the read area: no "positions 1-80" and no hint to start above 80.
    {"beyond_storage_flag",
     card("START", "ORG", "15990") + card("", "DCW", "@ABCDEFGHIJKLMNOPQRST@") + card("", "DCW", "@XY@") + kEnd, {},
     {"<stdin>:2:16: error: CORE STORAGE EXCEEDED: this is the first statement to place code or data beyond 15999, "
      "the last position of storage\n",
      "<stdin>:3:21: error: the statement places code or data outside storage, which is positions 0-15999 (flagged "
      "ADDR)\n"},
     "<stdin>: 2 errors"},
    {"unresolvable_names_them", card("X", "EQU", "Y") + card("Y", "EQU", "X") + kStart + kEnd, {},
     {"<stdin>:1:21: error: undefined symbol Y\n", "<stdin>: error: Undefined or unresolvable symbols: Y, X\n"},
     "<stdin>: 3 errors"},
    {"clean_deck_says_nothing", kStart + kEnd, {}, {}, ""},
    {"switch_turns_report_off", card("START", "B", "LOOP") + kEnd, {"--no-diagnostics"}, {}, ""},
    {"arguments_after_input", kStart + kEnd, {"-", "-l", "x.lst"},
     {"velumar: warning: arguments after the input file are ignored: -l x.lst"}, ""},
    {"interleave_without_files", kStart + kEnd, {"-i"}, {"velumar: warning: -i needs both -o and -l"}, ""},
    {"short_page", kStart + kEnd, {"-p", "3"}, {"velumar: warning: page length 3 cannot hold"}, ""},
};

class Report : public ::testing::TestWithParam<Case> {};

TEST_P(Report, LocatedMessagesAndCounts) {
  const Case& c = GetParam();
  const Outcome r = run(c.args, c.deck);
  std::size_t at = 0;
  for (const std::string& want : c.err) {
    const std::size_t found = r.err.find(want, at);
    ASSERT_NE(found, std::string::npos) << "missing \"" << want << "\" in:\n" << r.err;
    at = found + want.size();
  }
  if (c.last.empty()) {
    EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
  } else {
    // The count line, which may go on to say why standard output counts otherwise.
    const std::size_t last_line = r.err.rfind('\n', r.err.size() - 2) + 1;
    ASSERT_TRUE(std::string_view(r.err).substr(last_line).starts_with(c.last)) << r.err;
  }
  // The count line agrees with the messages shown.
  auto count = [&](std::string_view what) {
    int n = 0;
    for (std::size_t p = r.err.find(what); p != std::string::npos; p = r.err.find(what, p + 1)) ++n;
    return n;
  };
  const int errors = count(": error: ");
  const int warnings = count(": warning: ") - count("velumar: warning: ");
  std::string expected;
  if (errors > 0) expected = std::to_string(errors) + (errors == 1 ? " error" : " errors");
  if (errors > 0 && warnings > 0) expected += ", ";
  if (warnings > 0) expected += std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
  if (!expected.empty()) {
    EXPECT_NE(r.err.find(": " + expected), std::string::npos) << r.err;
  }
  // Standard output is what it is without the report.
  std::vector<std::string> quiet = c.args;
  quiet.insert(quiet.begin(), "--no-diagnostics");
  const Outcome q = run(quiet, c.deck);
  EXPECT_EQ(q.out, r.out);
  EXPECT_EQ(q.status, r.status);
  EXPECT_EQ(q.err, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, Report, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Only the read area is reported as the read area: a program past the end
// of storage gets the message for that, while its listing still says ADDR.
TEST(ReportFlags, BeyondStorageIsNotTheReadArea) {
  const Outcome r = run({}, card("START", "ORG", "15990") + card("", "DCW", "@ABCDEFGHIJKLMNOPQRST@") + kEnd);
  EXPECT_EQ(r.err.find("1-80"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("above 80"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("beyond 15999"), std::string::npos) << r.err;
  EXPECT_EQ(r.status, 1);
}

TEST(ReportCommandLine, HelpVersionAndColour) {
  for (const char* word : {"--help", "-h"}) {
    const Outcome r = run({word}, "");
    EXPECT_EQ(r.status, 0) << word;
    EXPECT_TRUE(r.out.starts_with("Usage: velumar [options] input-file\n")) << word;
  }
  const Outcome v = run({"--version"}, "");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "1401 Velumar cross-assembler, version 1.3\n");

  const std::string deck = card("START", "B", "LOOP") + kEnd;
  ::unsetenv("NO_COLOR");
  EXPECT_NE(run({}, deck, true).err.find("\033[1;31merror: "), std::string::npos);
  EXPECT_EQ(run({}, deck, false).err.find('\033'), std::string::npos);
  ::setenv("NO_COLOR", "1", 1);
  EXPECT_EQ(run({}, deck, true).err.find('\033'), std::string::npos);
  ::unsetenv("NO_COLOR");
}

}  // namespace
}  // namespace velumar
