// velumar-run end to end: its exit statuses and messages for programs that
// halt, fail to assemble, stop the simulator, loop or read cards, with SimH
// hidden from PATH; every example run through it from cards and from tape;
// and the installed layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/simh_runner.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kRun = VELUMAR_RUN;
const fs::path kExamples = fs::path(VELUMAR_SOURCE_DIR) / "examples";

struct Result {
  int status;
  std::string out;
  std::string err;
};

// Runs velumar-run with `args` (already quoted) in `dir`; `path` replaces
// PATH when it is not empty.
Result run(const fs::path& dir, const std::string& args, const std::string& path = "") {
  std::string command = "cd " + shell_quote(dir.string()) + " && ";
  if (!path.empty()) command += "PATH=" + shell_quote(path) + " ";
  command += "/bin/bash " + shell_quote(kRun.string()) + " " + args + " >out.txt 2>err.txt";
  Result r;
  r.status = run_command(command);
  r.out = read_file(dir / "out.txt");
  r.err = read_file(dir / "err.txt");
  return r;
}

// A folder holding only the commands velumar-run needs besides the
// simulator, so that PATH can hide i1401.
std::string path_without_simh(const fs::path& dir) {
  const fs::path bin = dir / "bin";
  fs::create_directory(bin);
  for (const char* tool : {"dirname", "basename", "cat", "mkdir", "mktemp", "rm", "tail", "timeout", "grep", "tr"})
    run_command("ln -s \"$(command -v " + std::string(tool) + ")\" " + shell_quote((bin / tool).string()));
  return bin.string();
}

std::string card(std::string_view label, std::string_view op, std::string_view operands = "") {
  std::string c = "     " + std::string(label);
  c.resize(15, ' ');
  c += op;
  c.resize(20, ' ');
  return c + std::string(operands) + "\n";
}

struct RunCase {
  std::string name;
  std::string source;
  std::string data;   // data cards, when not empty
  std::string args;   // further options
  bool needs_simh;
  bool hide_simh;
  int status;
  std::string out;    // exact standard output
  std::string err;    // a part of standard error
  std::string file = "prog.s";
};

const std::string kHalts = card("START", "CS", "332") + card("", "CS") + card("", "MCW", "@OK@,202") +
                           card("", "W") + card("", "H") + card("", "END", "START");
// Reads cards until the last one, printing columns 1-10 of each.
const std::string kEcho = card("START", "SW", "1") + card("READ", "R") + card("", "CS", "332") + card("", "CS") +
                          card("", "MCW", "10,210") + card("", "W") + card("", "BLC", "DONE") +
                          card("", "B", "READ") + card("DONE", "H") + card("", "DCW", "@*@") +
                          card("", "END", "START");

const std::vector<RunCase> kRunCases = {
    {"halts", kHalts, "", "", true, false, 0, "OK\n", "the 1401 halted (HALT instruction, IS: "},
    {"assembly_errors", card("START", "XYZ") + card("", "END", "START"), "", "", false, false, 1, "",
     "Unrecognized op code"},
    {"simh_missing", kHalts, "", "", false, true, 127, "", "apt-get install simh"},
    {"loops_past_time_limit", card("START", "B", "START") + card("", "END", "START"), "", "--time-limit 1", true,
     false, 4, "", "time limit of 1 seconds passed"},
    {"simulator_error", card("START", "B", "15000") + card("", "H") + card("", "END", "START"), "", "", true, false,
     3, "", "stopped on an error: No WM at instruction start, IS: 15000"},
    {"reads_past_last_card", card("START", "R") + card("", "B", "START") + card("", "END", "START"), "", "", true,
     false, 3, "", "Card reader empty"},
    {"data_cards", kEcho, "FIRST CARD\nSECOND\nLAST", "", true, false, 0, "FIRST CARD\nSECOND\nLAST\n", "halted"},
    {"data_cards_tape", kEcho, "ONE\nTWO\n", "--tape", true, false, 0, "ONE\nTWO\n", "halted"},
    {"assembler_options", kHalts, "", "-bV -X 3 -L", true, false, 0, "OK\n", "halted"},
    {"missing_data_file", kHalts, "", "-d nosuch.dat", false, false, 2, "", "cannot read the data card file"},
    {"bad_time_limit", kHalts, "", "--time-limit 0", false, false, 2, "", "time limit must be"},
    {"unknown_option", kHalts, "", "-Q", false, false, 2, "", "unknown option -Q"},
    {"time_limit_too_long", kHalts, "", "--time-limit 9999999", false, false, 2, "", "from 1 to 999999"},
    {"odd_file_name", kHalts, "", "--tape --time-limit 007", true, false, 0, "OK\n", "halted", "-my prog.s"},
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class VelumarRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(VelumarRun, StatusAndMessages) {
  const RunCase& c = GetParam();
  if (c.needs_simh && !simh_available()) GTEST_SKIP() << "i1401 is not installed";
  TempDir dir;
  std::ofstream(dir.path() / c.file) << c.source;
  std::string args = c.args;
  if (!c.data.empty()) {
    std::ofstream(dir.path() / "prog.dat") << c.data;
    args += " -d prog.dat";
  }
  Result r = run(dir.path(), args + " -- " + shell_quote(c.file), c.hide_simh ? path_without_simh(dir.path()) : "");
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_EQ(r.out, c.out) << r.err;
  EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, VelumarRun, ::testing::ValuesIn(kRunCases),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return info.param.name; });

TEST(VelumarRunKeep, KeepsTheAssemblyAndSimulatorFiles) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  TempDir dir;
  std::ofstream(dir.path() / "prog.s") << kHalts;
  Result r = run(dir.path(), "--keep kept/here --tape prog.s");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* f : {"prog.lst", "prog.obj", "prog.tape", "tape.tap", "print.txt", "punch.txt", "console.txt",
                        "run.ini"})
    EXPECT_TRUE(fs::exists(dir.path() / "kept" / "here" / f)) << f;
  EXPECT_EQ(read_file(dir.path() / "kept" / "here" / "print.txt"), "OK\n");
}

// Every example with its expected printout, through velumar-run from cards
// and from tape, with its data cards (NAME.dat) when it has some.
std::vector<std::string> example_names() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(kExamples, ec))
    if (entry.path().extension() == ".s" && fs::exists(fs::path(entry.path()).replace_extension(".print")))
      names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ExampleRun : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleRun, PrintsItsExpectedLinesFromCardsAndTape) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  const std::string name = GetParam();
  const fs::path data = kExamples / (name + ".dat");
  std::string args = fs::exists(data) ? "-d " + shell_quote(data.string()) + " " : "";
  args += shell_quote((kExamples / (name + ".s")).string());
  const std::string expected = read_file(kExamples / (name + ".print"));
  TempDir dir;
  for (const std::string boot : {"", "--tape "}) {
    Result r = run(dir.path(), boot + args);
    EXPECT_EQ(r.status, 0) << boot << r.err;
    EXPECT_EQ(r.out, expected) << boot << r.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun, ::testing::ValuesIn(example_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string id = info.param;
                           for (char& c : id)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return id;
                         });

// The installed programs, manual page and documents, and the installed
// velumar-run finding the installed assembler beside it.
TEST(Install, PutsProgramsManualPageAndDocumentsInPlace) {
  TempDir dir;
  const fs::path prefix = dir.path() / "prefix";
  ASSERT_EQ(run_command("cmake --install " + shell_quote(VELUMAR_BINARY_DIR) + " --prefix " +
                        shell_quote(prefix.string()) + " >" + shell_quote((dir.path() / "log").string()) + " 2>&1"),
            0)
      << read_file(dir.path() / "log");
  for (const char* f : {"bin/velumar", "bin/velumar-run", "bin/tape2simh", "share/man/man1/velumar.1",
                        "share/doc/velumar/README.md", "share/doc/velumar/LICENSE",
                        "share/doc/velumar/language.md"})
    EXPECT_TRUE(fs::exists(prefix / f)) << f;
  for (const char* f : {"bin/velumar", "bin/velumar-run", "bin/tape2simh"})
    EXPECT_NE(fs::status(prefix / f).permissions() & fs::perms::owner_exec, fs::perms::none) << f;

  if (run_command("command -v man >/dev/null 2>&1") == 0) {
    // Rendering must succeed without any complaint from the formatter.
    const fs::path err = dir.path() / "man.err";
    EXPECT_EQ(run_command("MANWIDTH=80 man -l " + shell_quote((prefix / "share/man/man1/velumar.1").string()) +
                          " >/dev/null 2>" + shell_quote(err.string())),
              0);
    EXPECT_EQ(read_file(err), "");
  }
  if (simh_available()) {
    const fs::path out = dir.path() / "print";
    EXPECT_EQ(run_command(shell_quote((prefix / "bin/velumar-run").string()) + " " +
                          shell_quote((kExamples / "hello.s").string()) + " >" + shell_quote(out.string()) +
                          " 2>/dev/null"),
              0);
    EXPECT_EQ(read_file(out), read_file(kExamples / "hello.print"));
  }
}

}  // namespace
}  // namespace velumar::e2e
