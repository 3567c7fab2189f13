// velumar-run as a debugger, end to end on SimH: where a program stopped (in
// source lines and labels), traces, breaks with fields, the dump, and the
// three failures a new user meets first, each naming the line to look at.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

// Prints 1 to 3; N is the counter. Lines: 1 START, 3 LOOP, 8 H, 9 N.
const std::string kCount = card("START", "CS", "332") + card("", "CS") + card("LOOP", "A", "@1@,N") +
                           card("", "MCW", "N,201") + card("", "W") + card("", "C", "N,@3@") +
                           card("", "BU", "LOOP") + card("", "H") + card("N", "DCW", "0") +
                           card("", "END", "START");

// X2 is loaded as 4 with the deck; X1 becomes 3 at NEXT. TABX is TAB-5
// plus X1, INST is START plus X2. Lines: 5 the chained CS, 7 NEXT.
const std::string kIndexed = card("", "ORG", "92") + card("", "DCW", "@004@") + card("", "ORG", "333") +
                             card("START", "CS", "332") + card("", "CS") + card("", "MCW", "@003@,89") +
                             card("NEXT", "H") + card("TAB", "DCW", "@ABCDEFGHIJ@") + card("TABX", "EQU", "TAB-5&X1") +
                             card("INST", "EQU", "START&X2") + card("", "END", "START");
const std::vector<std::string> kIndexedBreaks = {
    "--break INST: X2 holds 4 when the program starts, so the break is at 337 (START+4)",
    "break at INST (prog.s:5), pass 1: TABX='ABCDE' (X1=0, at 350) TAB='ABCDEFGHIJ'\n",
    "break at NEXT (prog.s:7), pass 1: TABX='ABCDEFGH' (X1=3, at 353) TAB='ABCDEFGHIJ'\n", "halted"};

struct DebugCase {
  std::string name, source, args;
  int status;
  std::vector<std::string> err;  // parts of standard error, in this order
};

void PrintTo(const DebugCase& c, std::ostream* os) { *os << c.name; }

const std::vector<DebugCase> kCases = {
    // A branch into a constant: the branch's line, the stop named by its label.
    {"wrong_branch",
     card("START", "CS", "332") + card("", "B", "MSG") + card("", "H") + card("MSG", "DCW", "@HI@") +
         card("", "END", "START"),
     "", 3,
     {"stopped on an error: No WM at instruction start, IS: 343",
      "prog.s:2: error: the 1401 stopped at 343 (MSG), not an instruction of the program, after this one",
      "     2 | " + card("", "B", "MSG").substr(5, 18), "registers: I=343 (MSG)  A=343 (MSG)  B=",
      "the last instructions executed, oldest first:", "     1    333  START  CS    332",
      "     2    337         B     MSG\n"}},
    // The operand one column late: a chained MCW that runs off the end of storage.
    {"address_wrap",
     card("START", "CS", "332") + card("", "MCW", " MSG,211") + card("", "W") + card("", "H") +
         card("MSG", "DCW", "@HELLO@") + card("", "END", "START"),
     "", 3, {"Address register wrap, IS: 337", "prog.s:2: error: the 1401 stopped here: Address register wrap"}},
    {"no_start_address", card("START", "CS", "332") + card("", "H") + card("", "END"), "", 3,
     {"No WM at instruction start, IS: 0", "prog.s:3: error: the 1401 stopped at 0 before any instruction",
      "this END card names no start address"}},
    {"unit_not_attached",
     card("START", "MCW", "@ABC@,203") + card("", "WT", "2,201") + card("", "H") + card("", "END", "START"), "", 3,
     {"Unit not attached", "prog.s:2: error: the 1401 stopped here: Unit not attached", "--tape N=FILE"}},
    {"break_shows_counter", kCount, "--break LOOP --show N,START", 0,
     {"break at LOOP (prog.s:3), pass 1: N='0' START='/'", "pass 2: N='1'", "pass 3: N='2'", "halted"}},
    {"break_plus_offset_and_stop", kCount, "--break LOOP+7 --show N --stop-at-break", 0,
     {"break at LOOP+7 (prog.s:4), pass 1: N='1'\n", "ended at the break",
      "prog.s:4: note: the run stopped at the break here"}},
    {"dump", kCount, "--dump", 0, {"the labelled fields at the end of the run:\n  N        366  '3'\n"}},
    {"why_after_halt", kCount, "--why", 0,
     {"halted", "prog.s:8: note: the program halted here", "     7    360         BU    LOOP"}},
    {"trace_range", kCount, "--trace=LOOP..LOOP", 0,
     {"     3    338  LOOP   A     @1@,N                A=366 (N) B=365 (LOOP+27)\n"
      "     3    338  LOOP   A     @1@,N                A=366 (N) B=365 (LOOP+27)\n"
      "     3    338  LOOP   A     @1@,N                A=366 (N) B=365 (LOOP+27)\n"
      "velumar-run: the 1401 halted"}},
    {"trace_limit", kCount, "--trace --trace-limit 3", 0,
     {"     3    338  LOOP", "trace limit of 3 lines reached", "halted"}},
    {"loop_shows_where", card("START", "B", "LOOP") + card("LOOP", "B", "START") + card("", "END", "START"),
     "--time-limit 1", 4,
     {"time limit of 1 seconds passed", "prog.s:", "the next instructions it ran, oldest first:",
      "     1    333  START  B     LOOP", "     2    337  LOOP   B     START"}},
    {"unknown_label", kCount, "--break NOPE", 2, {"unknown label 'NOPE' in --break"}},
    {"indexed_labels", kIndexed, "--break INST --break NEXT --show TABX,TAB", 0, kIndexedBreaks},
    {"indexed_labels_traced", kIndexed, "--trace --break INST --break NEXT --show TABX,TAB", 0, kIndexedBreaks},
    {"indexed_trace_range", kIndexed, "--trace=TABX..NEXT", 2, {"'TABX' in --trace is indexed by X1"}},
};

class VelumarRunDebug : public ::testing::TestWithParam<DebugCase> {};

TEST_P(VelumarRunDebug, Reports) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  const DebugCase& c = GetParam();
  TempDir dir;
  std::ofstream(dir.path() / "prog.s") << c.source;
  const Outcome r = run_in(dir.path(), shell_quote(VELUMAR_RUN) + " " + c.args + " prog.s");
  EXPECT_EQ(r.status, c.status) << r.err;
  expect_in_order(r.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(Cases, VelumarRunDebug, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DebugCase>& info) { return info.param.name; });

// The trace of the counting program follows its source lines, loop and all.
TEST(VelumarRunTrace, FollowsTheSourceLines) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  TempDir dir;
  std::ofstream(dir.path() / "prog.s") << kCount;
  const Outcome r = run_in(dir.path(), shell_quote(VELUMAR_RUN) + " --trace prog.s");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n2\n3\n");
  std::istringstream err(r.err);
  std::vector<int> lines;
  std::string line;
  while (std::getline(err, line))
    if (!line.starts_with("velumar-run:")) lines.push_back(std::stoi(line.substr(0, 6)));
  const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 3, 4, 5, 6, 7, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace velumar::e2e
