// velumar-run end to end: its exit statuses and messages for programs that
// halt, fail to assemble, stop the simulator, loop or read cards, also with
// SimH hidden from PATH; the kept files; and the installed layout.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/simh_runner.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out, err;
};

// Runs `command` in `dir` with standard output and error collected.
Result run_in(const fs::path& dir, const std::string& command) {
  Result r;
  r.status = run_command("cd " + shell_quote(dir.string()) + " && " + command + " >out.txt 2>err.txt");
  r.out = read_file(dir / "out.txt");
  r.err = read_file(dir / "err.txt");
  return r;
}

// PATH for a folder holding only the commands velumar-run needs besides
// the simulator, so that i1401 cannot be found.
std::string path_without_simh(const fs::path& dir) {
  const fs::path bin = dir / "bin";
  fs::create_directory(bin);
  for (const char* tool : {"dirname", "basename", "cat", "mkdir", "mktemp", "rm", "tail", "timeout", "grep", "tr"})
    run_command("ln -s \"$(command -v " + std::string(tool) + ")\" " + shell_quote((bin / tool).string()));
  return "PATH=" + shell_quote(bin.string()) + " ";
}

std::string card(std::string_view label, std::string_view op, std::string_view operands = "") {
  std::string c = "     " + std::string(label);
  c.resize(15, ' ');
  c += op;
  c.resize(20, ' ');
  return c + std::string(operands) + "\n";
}

const std::string kHalts = card("START", "CS", "332") + card("", "CS") + card("", "MCW", "@OK@,202") +
                           card("", "W") + card("", "H") + card("", "END", "START");
// Prints columns 1-10 of each card up to the last one.
const std::string kEcho = card("START", "SW", "1") + card("READ", "R") + card("", "CS", "332") + card("", "CS") +
                          card("", "MCW", "10,210") + card("", "W") + card("", "BLC", "DONE") +
                          card("", "B", "READ") + card("DONE", "H") + card("", "DCW", "@*@") +
                          card("", "END", "START");

struct RunCase {
  std::string name, source, data, args;  // data: cards given with -d, when not empty
  bool needs_simh, hide_simh;
  int status;
  std::string out, err;  // the exact standard output; a part of standard error
  std::string file = "prog.s";
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

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
    {"odd_file_name", kHalts, "", "--tape --time-limit 007", true, false, 0, "OK\n", "halted", "-my prog.s"},
    {"missing_data_file", kHalts, "", "-d nosuch.dat", false, false, 2, "", "cannot read the data card file"},
    {"time_limit_too_long", kHalts, "", "--time-limit 9999999", false, false, 2, "", "from 1 to 999999"},
    {"unknown_option", kHalts, "", "-Q", false, false, 2, "", "unknown option -Q"},
};

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
  Result r = run_in(dir.path(), (c.hide_simh ? path_without_simh(dir.path()) : "") + "/bin/bash " +
                                    shell_quote(VELUMAR_RUN) + " " + args + " -- " + shell_quote(c.file));
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
  ASSERT_EQ(run_in(dir.path(), shell_quote(VELUMAR_RUN) + " --keep kept/here --tape prog.s").status, 0);
  for (const char* f : {"prog.lst", "prog.obj", "prog.tape", "tape.tap", "punch.txt", "console.txt", "run.ini"})
    EXPECT_TRUE(fs::exists(dir.path() / "kept/here" / f)) << f;
  EXPECT_EQ(read_file(dir.path() / "kept/here/print.txt"), "OK\n");
}

// The installed programs, manual page and documents; the manual page renders
// without complaint, and the installed velumar-run finds the assembler beside it.
TEST(Install, PutsProgramsManualPageAndDocumentsInPlace) {
  TempDir dir;
  const fs::path prefix = dir.path() / "prefix";
  Result r = run_in(dir.path(), "cmake --install " + shell_quote(VELUMAR_BINARY_DIR) + " --prefix prefix");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* f : {"bin/velumar", "bin/velumar-run", "bin/tape2simh", "share/man/man1/velumar.1",
                        "share/doc/velumar/README.md", "share/doc/velumar/LICENSE", "share/doc/velumar/language.md"})
    EXPECT_TRUE(fs::exists(prefix / f)) << f;
  if (run_command("command -v man >/dev/null") == 0) {
    r = run_in(dir.path(), "MANWIDTH=80 man -l prefix/share/man/man1/velumar.1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("EXIT STATUS"), std::string::npos);
  }
  if (simh_available()) {
    std::ofstream(dir.path() / "prog.s") << kHalts;
    EXPECT_EQ(run_in(dir.path(), "prefix/bin/velumar-run prog.s").out, "OK\n");
  }
}

}  // namespace
}  // namespace velumar::e2e
