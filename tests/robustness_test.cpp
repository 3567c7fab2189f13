// Hostile input end to end: decks that once placed code outside storage,
// passed bytes that are no 1401 character into the outputs, lost CR-only
// files or hid I/O failures, and every input the fuzzer found (replayed
// from tests/fuzz-findings with the options its first bytes choose). Each
// run must keep the properties the fuzzer checks, and say what it should.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/invariants.h"
#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kStart = card("START", "CS", "332");
const std::string kEnd = card("", "END", "START");

struct Case {
  const char* name;
  std::string source;
  std::vector<std::string> args;  // before "-l out.lst -o out.obj -t out.tape"
  int status;
  std::vector<std::string> out, err;  // texts that must appear, in order
  std::string deck_has;              // a text some card must hold ("" for none)
  std::string redirect = "";         // replaces "> out.txt"
};

std::string cr_only(std::string text) {
  std::replace(text.begin(), text.end(), '\n', '\r');
  return text;
}

std::string repeat(const std::string& text, int n) {
  std::string all;
  for (int i = 0; i < n; ++i) all += text;
  return all;
}

const std::vector<Case> kCases = {
    {"constant_beyond_storage", kStart + card("", "DC", "#999999") + kEnd, {}, 1,
     {"CORE STORAGE EXCEEDED", "2 Errors"}, {}, "L024I9I"},
    {"hundred_constants_beyond_storage", kStart + repeat(card("", "DC", "#999999"), 100) + kEnd, {}, 1,
     {"CORE STORAGE EXCEEDED", "101 Errors"}, {}, ""},
    // DS statements that add up past the int range: saturated, no overflow.
    {"areas_past_int_range", card("START", "H") + repeat(card("", "DS", "999999"), 2200) + card("", "END", "START"),
     {}, 1, {"CORE STORAGE EXCEEDED"}, {}, ""},
    {"pool_beyond_storage",
     kStart + card("", "MCW", "#9999,#9998") + card("", "LTORG", "9999999999999999999999999") + kEnd, {}, 1,
     {"CORE STORAGE EXCEEDED"}, {}, ""},
    {"origin_below_storage", card("", "ORG", "*-9999") + card("A", "DCW", "@X@") + card("", "END", ""), {}, 1,
     {"Location counter -9666 is outside storage"}, {}, "/000080"},
    {"equ_origin_below_storage",
     card("Q", "EQU", "5") + card("", "ORG", "Q-10") + card("A", "DCW", "@X@") + card("", "END", ""), {}, 1,
     {"Location counter -5 is outside storage"}, {}, ""},
    {"tab_in_literal", kStart + card("", "MCW", "@A\tB@,211") + kEnd, {}, 0, {},
     {"<stdin>:2:23: warning: column 23 holds a tab, which is read as one blank", "<stdin>: 1 warning"}, "A B"},
    {"nul_and_latin1", kStart + card("", "MCW", std::string(1, '\0') + ",211") + card("C", "DCW", "@\xe9\xff@") + kEnd,
     {}, 0, {}, {"<stdin>:2:21: warning: byte 0x00", "<stdin>:3:22: warning: byte 0xE9 is not a 1401 character (the card holds 2"},
     "M "},
    {"cr_only_lines", cr_only(card("", "CS", "332") + card("", "DCW", "@HI@") + card("", "END", "333")), {}, 0, {},
     {"lines end in a carriage return alone"}, "HI"},
    {"zero_size_records_marks_bounded",
     kStart + card("", "ORG", "500") + card("AREA", "DA", "999999X0,G") + card("F", "", "1,2") + kEnd, {}, 0, {}, {},
     ""},
    {"stdout_full", kStart + card("", "MCW", "UNDEF,211") + kEnd, {}, 2, {},
     {"velumar: cannot write standard output: No space left on device"}, "", ">/dev/full"},
    {"stdin_directory", "", {}, 2, {"While reading input", "Is a directory"}, {}, "", "<. >out.txt"},
};

Outcome run_velumar(const fs::path& dir, const std::vector<std::string>& args, const std::string& source,
                const std::string& redirect) {
  std::ofstream(dir / "in.s", std::ios::binary) << source;
  std::string command = "cd " + shell_quote(dir.string()) + " && " + shell_quote(VELUMAR_EXE);
  for (const std::string& a : args) command += " " + shell_quote(a);
  command += (redirect.find('<') == std::string::npos ? " <in.s " : " ") + redirect + " 2>err.txt";
  return {run_command(command), read_file(dir / "out.txt"), read_file(dir / "err.txt"), ""};
}

class Hostile : public ::testing::TestWithParam<Case> {};

TEST_P(Hostile, BoundedOutputsAndTheRightMessages) {
  const Case& c = GetParam();
  TempDir dir;
  const std::string& source = c.source;
  std::vector<std::string> args = c.args;
  for (const char* a : {"-lout.lst", "-oout.obj", "-tout.tape"}) args.emplace_back(a);
  const Outcome r = run_velumar(dir.path(), args, source, c.redirect.empty() ? ">out.txt" : c.redirect);
  EXPECT_EQ(r.status, c.status) << r.out << r.err;
  expect_in_order(r.out, c.out);
  expect_in_order(r.err, c.err);
  const std::string deck = read_file(dir.path() / "out.obj");
  if (!c.deck_has.empty()) {
    EXPECT_NE(deck.find(c.deck_has), std::string::npos) << deck;
  }
  if (r.status < 2) {
    const fuzz::Outputs outputs{source, r.status, deck, read_file(dir.path() / "out.tape"), {}};
    EXPECT_EQ(fuzz::check(outputs), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Hostile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The same run in this process, in `dir`, as the fuzz target makes it: where
// the passes left the location counter differently ("" when they agree).
std::string location_disagreement(const fs::path& dir, const std::vector<std::string>& args,
                                  const std::string& source) {
  const fs::path home = fs::current_path();
  fs::current_path(dir);
  const Outcome r = assemble(args, source);
  fs::current_path(home);
  return r.disagreement;
}

TEST(FuzzFindings, EachReplaysWithinTheInvariants) {
  const fs::path findings = fs::path(VELUMAR_SOURCE_DIR) / "tests" / "fuzz-findings";
  for (const auto& entry : fs::directory_iterator(findings)) {
    SCOPED_TRACE(entry.path().filename().string());
    const std::string input = read_file(entry.path());
    ASSERT_GE(input.size(), 3u);
    TempDir dir;
    const auto b = [&](int i) { return static_cast<std::uint8_t>(input[static_cast<std::size_t>(i)]); };
    const std::vector<std::string> args = fuzz::options_from(b(0), b(1), b(2));
    const std::string source = input.substr(3);
    const Outcome r = run_velumar(dir.path(), args, source, ">out.txt");
    const fuzz::Outputs outputs{source, r.status, read_file(dir.path() / "out.obj"), read_file(dir.path() / "out.tape"),
                                location_disagreement(dir.path(), args, source)};
    EXPECT_EQ(fuzz::check(outputs), "");
  }
}

}  // namespace
}  // namespace velumar::e2e
