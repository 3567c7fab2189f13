// velumar-run's parts without the simulator: its command line, the stop
// lines of the SimH console, the tape text form written back, and the symbol
// map's names for addresses.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "core/charset.h"
#include "tests/support/simh.h"
#include "tools/run/devices.h"
#include "tools/run/options.h"
#include "tools/run/simh.h"
#include "tools/run/symbols.h"

namespace velumar::run {
namespace {

Options parsed(std::vector<std::string> args) {
  Options o;
  EXPECT_EQ(parse_options(args, o), Parsed::Run);
  return o;
}

TEST(RunOptions, OldAndNewOptionsTogether) {
  const Options o = parsed({"-d", "a.dat", "--data=b.dat", "--tape", "--tape", "2=out.tape", "--tape=6=in.tape",
                            "-bV", "-X", "3", "--break", "LOOP+7", "--show", "N,M", "--show=K", "--trace=A..B",
                            "--print-limit", "0", "--punch=p.txt", "--", "-prog.s"});
  EXPECT_EQ(o.data_files, (std::vector<std::string>{"a.dat", "b.dat"}));
  EXPECT_TRUE(o.boot_tape);
  ASSERT_EQ(o.tapes.size(), 2u);
  EXPECT_EQ(o.tapes[0].unit, 2);
  EXPECT_EQ(o.tapes[1].file, "in.tape");
  EXPECT_EQ(o.asm_options, (std::vector<std::string>{"-bV", "-X", "3"}));
  EXPECT_EQ(o.breaks, std::vector<std::string>{"LOOP+7"});
  EXPECT_EQ(o.show, (std::vector<std::string>{"N", "M", "K"}));
  EXPECT_EQ(o.trace_from, "A");
  EXPECT_EQ(o.trace_to, "B");
  EXPECT_EQ(o.print_limit, 0);
  EXPECT_EQ(o.punch, "p.txt");
  EXPECT_EQ(o.source, "-prog.s");
  EXPECT_EQ(parsed({"--tape", "prog.s"}).source, "prog.s");  // --tape alone boots from tape
}

TEST(RunOptions, Refusals) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--trace=A..", "p.s"}, "range of labels"},
      {{"--time-limit", "0", "p.s"}, "from 1 to 999999"},
      {{"--keep"}, "needs a value"},
      {{"--trace-limit=-1", "p.s"}, "whole number"},
      {{"a.s", "b.s"}, ""},
      {{}, ""},
  };
  for (const auto& [args, words] : cases) {
    Options o;
    try {
      parse_options(args, o);
      ADD_FAILURE() << args.size();
    } catch (const UsageError& e) {
      EXPECT_EQ(e.status, 2);
      EXPECT_NE(e.message.find(words), std::string::npos) << e.message;
      EXPECT_EQ(words.empty(), e.message.empty()) << e.message;
    }
  }
}

TEST(RunSimh, StopLines) {
  const std::vector<std::tuple<std::string, std::string, int, bool>> cases = {
      {"\nHALT instruction, IS: 366 (WR)\n", "HALT instruction", 366, false},
      {"\nBreakpoint, IS: 338 (A 367 366)\n", "Breakpoint", 338, false},
      {"LPT: creating new file\n\nNo WM at instruction start, IS: 15000 (000)\n", "No WM at instruction start", 15000,
       true},
      {"\nStep expired, IS: 337 (CS)\n", "Step expired", 337, false},
      {"\nSimulation stopped, IS: 333 (B 333)\n", "Simulation stopped", 333, false},
      {"IS:\t333\n", "", -1, false},
  };
  for (const auto& [text, reason, is, error] : cases) {
    const Stop s = parse_stop(text);
    EXPECT_EQ(s.reason, reason);
    EXPECT_EQ(s.is, is);
    EXPECT_EQ(s.error(), error) << reason;
  }
}

// Records of every character but the word separator come back from the SimH
// image as they went in, with their counts; blanks too.
TEST(RunTapes, TextFormSurvivesTheImage) {
  std::mt19937 rng(1401);
  std::string text;
  for (int r = 0; r < 50; ++r) {
    std::string record;
    const int n = static_cast<int>(rng() % 120) + 1;
    for (int i = 0; i < n; ++i) {
      int code = static_cast<int>(rng() % 64);
      if (code == 29 || code == 16) code = 0;  // "=" is the separator; 16 reads back as a blank
      record += bcd_char(code);
    }
    char counts[8];
    std::snprintf(counts, sizeof counts, "%03d%03d", n, n);
    text += counts + record + "\n";
  }
  EXPECT_EQ(tape_text(tape_image(text)), text);
  EXPECT_EQ(tape_text(""), "");
  EXPECT_EQ(tape_text(std::string("\x05\0\0\0AB", 6)), "") << "a record cut short is dropped";
}

TEST(RunSymbols, NamesAddressesAfterLabels) {
  e2e::TempDir dir;
  const auto map = dir.path() / "m.json";
  std::ofstream(map) << R"({"format": "velumar-map", "version": 1, "jobs": [{"start": 333,
    "ranges": [{"first": 333, "last": 344, "kind": "instructions"}],
    "symbols": [{"name": "START", "value": 333, "kind": "instruction", "width": 4},
                {"name": "LOOP", "value": 337, "kind": "instruction", "width": 7},
                {"name": "MSG", "value": 350, "kind": "constant", "width": 5},
                {"name": "TEN", "value": 10, "kind": "equ", "width": 0},
                {"name": "NOVAL", "value": null, "kind": "area"}],
    "statements": [{"line": 2, "first": 333, "last": 336, "op": "CS", "text": "START     CS   332"},
                   {"line": 3, "first": 337, "last": 343, "op": "MCW", "text": "LOOP      MCW  @A B@,N   REMARK"},
                   {"line": 4, "first": 346, "last": 350, "op": "DCW", "text": "MSG       DCW  @HELLO@"},
                   {"line": 5, "op": "END", "text": "          END  START"}]}]})";
  SymbolMap m;
  std::string error;
  ASSERT_TRUE(m.load(map.string(), error)) << error;
  const std::vector<std::pair<int, std::string>> names = {
      {333, "START"}, {336, "START+3"}, {337, "LOOP"}, {345, "LOOP+8"}, {346, "MSG-4"},
      {350, "MSG"},   {355, "MSG+5"},   {401, ""},     {10, ""},
  };
  for (const auto& [address, name] : names) EXPECT_EQ(m.name_address(address), name) << address;
  ASSERT_NE(m.instruction_at(337), nullptr);
  EXPECT_EQ(m.instruction_at(337)->line, 3);
  EXPECT_EQ(m.instruction_at(337)->operands(), "@A B@,N");
  EXPECT_EQ(m.instruction_at(337)->label(), "LOOP");
  EXPECT_EQ(m.instruction_at(338), nullptr);
  EXPECT_EQ(m.instruction_at(346), nullptr) << "a constant is no instruction";
  EXPECT_EQ(m.end_line(), 5);
  EXPECT_EQ(m.start(), 333);
  EXPECT_EQ(m.fields().size(), 1u);
  std::ofstream(map) << "{\"format\": \"other\"}";
  EXPECT_FALSE(m.load(map.string(), error));
}

}  // namespace
}  // namespace velumar::run
