// The command line's reports on standard error: each bad option or failing
// file in one GNU-style line, beside the historic lines on standard output.
#include "driver/command_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/spelling.h"
#include "driver/options.h"
#include "driver/run.h"

namespace velumar {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run(std::vector<std::string> args) {
  args.insert(args.begin(), "velumar");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in("");
  std::ostringstream out, err;
  const int status = velumar_main(static_cast<int>(args.size()), argv.data(), in, out, err, false);
  return {status, out.str(), err.str()};
}

TEST(CommandLine, EachFailureIsOneLineOnStandardError) {
  const fs::path dir = fs::temp_directory_path() / ("velumar_cl_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  { std::ofstream("in.s") << "     START     H\n               END  START\n"; }
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"--bogus"}, 2, "velumar: unknown option '--bogus'\n"},
      {{"--verison"}, 2, "velumar: unknown option '--verison'; did you mean '--version'?\n"},
      {{"-help"}, 2, "velumar: unknown option '-help'; did you mean '--help'?\n"},
      {{"--keepscratch=1"}, 2, "velumar: unknown option '--keepscratch=1'; did you mean '--keepscratch'?\n"},
      {{"-q", "in.s"}, 2, "velumar: unknown option '-q'\n"},
      {{"-l", "nodir/c.lst", "in.s"}, 2,
       "velumar: cannot open listing file 'nodir/c.lst': No such file or directory\n"},
      {{"-mlib.mac"}, 2, "velumar: cannot open macro library file 'lib.mac': No such file or directory\n"},
      {{"missing.s"}, 2, "velumar: cannot open input file 'missing.s': No such file or directory\n"},
      {{"-l", "in.s", "in.s"}, 2, "velumar: cannot open listing file 'in.s': same file as the input file\n"},
      {{"-p", "abc"}, 2, "velumar: invalid page length 'abc' for -p: Invalid argument\n"},
      {{"-X", "99999999999"}, 2, "velumar: invalid extra flags '99999999999' for -X: Numerical result out of range\n"},
      {{"--error-limit=-1"}, 2, "velumar: invalid error limit '-1' for --error-limit: give a count, 0 for none\n"},
      {{"-bQ", "in.s"}, 0, "velumar: warning: invalid boot loader 'Q' for -b (I, N, B or V); I used\n"},
      {{"-bIz", "in.s"}, 0, "velumar: warning: invalid core size selector 'z' for -bI; 16000 used\n"},
      {{"--error-limit", "3", "in.s"}, 0, ""},
      {{"--map="}, 2, "velumar: option --map needs a file name\n"},
      {{"--diagnostics-format=xml"}, 2, "velumar: invalid format 'xml' for --diagnostics-format (text, json or sarif)\n"},
      {{"--no-diagnostics", "--bogus"}, 2, ""},
  };
  for (const Case& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0];
    EXPECT_EQ(r.err, c.err) << c.args[0];
    // Standard output keeps its own lines of the failure.
    if (c.status == 2) {
      EXPECT_FALSE(r.out.empty()) << c.args[0];
    }
  }
  fs::current_path(old);
  fs::remove_all(dir);
}

TEST(CommandLine, HelpListsEveryOptionAfterTheUsageText) {
  const Outcome h = run({"--help"});
  EXPECT_EQ(h.status, 0);
  const std::string usage = usage_text("velumar", 16000);
  ASSERT_TRUE(h.out.starts_with(usage));
  for (const LongOption& o : long_options())
    EXPECT_NE(h.out.find("          " + std::string(o.name), usage.size()), std::string::npos) << o.name;
  // -h keeps the historic text alone.
  EXPECT_EQ(run({"-h"}).out, usage);
}

TEST(Spelling, EditDistanceAndNearestWord) {
  struct Case {
    const char* a;
    const char* b;
    int distance;
  };
  for (const Case& c : {Case{"MCW", "MCW", 0}, Case{"MVW", "MCW", 1}, Case{"MCWW", "MCW", 1}, Case{"LOPO", "LOOP", 1},
                        Case{"START", "STRAT", 1}, Case{"ABC", "XYZ", 3}, Case{"", "AB", 2}}) {
    EXPECT_EQ(edit_distance(c.a, c.b, 5), c.distance) << c.a << " " << c.b;
    EXPECT_EQ(edit_distance(c.b, c.a, 5), c.distance) << c.a << " " << c.b;
  }
  EXPECT_EQ(edit_distance("ABCDEFGH", "A", 2), 3);  // stops past the limit
  const std::vector<std::string_view> known = {"LOOP", "START", "MSG"};
  EXPECT_EQ(nearest_word("LOPO", known), "LOOP");
  EXPECT_EQ(nearest_word("LOOP", known), "");  // known already
  EXPECT_EQ(nearest_word("XYZ", known), "");
  EXPECT_EQ(nearest_word("STRT", known), "START");
}

}  // namespace
}  // namespace velumar
