// velumar-run end to end: its exit statuses and messages for programs that
// halt, fail to assemble, stop the simulator, loop, print or punch without
// end or read cards, also with SimH hidden from PATH; tape units and the
// punch; signals; the kept files; and the installed layout.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

// PATH for an empty folder, so that i1401 cannot be found (velumar-run
// finds velumar beside itself and needs nothing else).
std::string path_without_simh(const fs::path& dir) {
  fs::create_directory(dir / "bin");
  return "PATH=" + shell_quote((dir / "bin").string()) + " ";
}

const std::string kHalts = card("START", "CS", "332") + card("", "CS") + card("", "MCW", "@OK@,202") +
                           card("", "W") + card("", "H") + card("", "END", "START");
// Prints columns 1-10 of each card up to the last one.
const std::string kEcho = card("START", "SW", "1") + card("READ", "R") + card("", "CS", "332") + card("", "CS") +
                          card("", "MCW", "10,210") + card("", "W") + card("", "BLC", "DONE") +
                          card("", "B", "READ") + card("DONE", "H") + card("", "DCW", "@*@") +
                          card("", "END", "START");

const std::string kPrintsForever =
    card("START", "MCW", "@X@,201") + card("LOOP", "W") + card("", "B", "LOOP") + card("", "END", "START");
const std::string kPunches = card("START", "MCW", "@CARD1@,105") + card("", "P") + card("", "MCW", "@CARD2@,105") +
                             card("", "P") + card("", "MCW", "@CARD3@,105") + card("", "P") + card("", "P") +
                             card("", "H") + card("", "END", "START");
// Writes a record on tape unit 2, rewinds, reads it back and prints it.
const std::string kTapeIo = card("START", "WT", "2,REC-8") + card("", "RWD", "2") + card("", "CS", "332") +
                            card("", "CS") + card("", "RT", "2,201") + card("", "W") + card("", "H") +
                            card("REC", "DCW", "@TAPE DATA@") + card("", "DCW", "@\"@") + card("", "END", "START");
// Reads unit 3 and prints what it read.
const std::string kTapeIn = card("START", "CS", "332") + card("", "CS") + card("", "RT", "3,201") + card("", "W") +
                            card("", "H") + card("", "DCW", "@*@") + card("", "END", "START");

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
    {"version", kHalts, "", "--version", false, false, 0, "velumar-run (1401 Velumar cross-assembler, version 1.3)\n",
     ""},
    {"bad_tape_unit", kHalts, "", "--tape=7=x.tape", false, false, 2, "", "a unit 1-6 and a file, N=FILE"},
    {"tape_unit_twice", kHalts, "", "--tape 2=a --tape 2=b", false, false, 2, "", "tape unit 2 is attached twice"},
    {"boot_tape_on_unit_1", kHalts, "", "--tape --tape 1=a", false, false, 2, "", "use units 2-6"},
    {"bad_print_limit", kHalts, "", "--print-limit many", false, false, 2, "", "must be a whole number"},
    {"prints_without_end", kPrintsForever, "", "--print-limit 5", true, false, 4, "X\nX\nX\nX\nX\n",
     "print-line limit of 5 lines was reached"},
    {"punch_shown_on_stderr", kPunches, "", "", true, false, 0, "", "punched 4 cards (keep them with --punch FILE); "
     "the first ones:\n  CARD1\n  CARD2\n  CARD3\nvelumar-run: the 1401 halted"},
    {"tape_unit_not_attached", kTapeIo, "", "", true, false, 3, "",
     "stopped on an error: Unit not attached, IS: 333"},
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
  Outcome r = run_in(dir.path(), (c.hide_simh ? path_without_simh(dir.path()) : "") + shell_quote(VELUMAR_RUN) + " " +
                                    args + " -- " + shell_quote(c.file));
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

// A program writes tape unit 2 and reads it back; the tape is kept in text
// form, and a second program reads it as unit 3. The punch file holds the cards.
TEST(VelumarRunDevices, TapeUnitsAndPunchFile) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  TempDir dir;
  std::ofstream(dir.path() / "io.s") << kTapeIo;
  std::ofstream(dir.path() / "in.s") << kTapeIn;
  std::ofstream(dir.path() / "punch.s") << kPunches;
  Outcome r = run_in(dir.path(), shell_quote(VELUMAR_RUN) + " --tape 2=t2.txt io.s");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "TAPE DATA\"\n");
  EXPECT_NE(r.err.find("tape unit 2 written to 't2.txt' (1 record)"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(dir.path() / "t2.txt"), "009009TAPE DATA\n");
  r = run_in(dir.path(), shell_quote(VELUMAR_RUN) + " --tape=3=t2.txt in.s");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "TAPE DATA\"\n");  // the read ends the record with a group mark
  EXPECT_EQ(r.err.find("written"), std::string::npos) << "a tape only read stays as it was: " << r.err;
  r = run_in(dir.path(), shell_quote(VELUMAR_RUN) + " --punch cards.txt punch.s");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir.path() / "cards.txt"), "CARD1\nCARD2\nCARD3\nCARD3\n");
  EXPECT_EQ(r.err.find("punched"), std::string::npos) << r.err;
}

// A signal ends the run at once with the signal's status; the simulator is
// stopped and the working folder removed.
TEST(VelumarRunSignals, StopTheSimulatorAndCleanUp) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  for (int sig : {SIGINT, SIGTERM}) {
    TempDir dir;
    std::ofstream(dir.path() / "loop.s") << card("START", "B", "START") << card("", "END", "START");
    const std::string tmpdir = "TMPDIR=" + dir.path().string();
    const std::string source = (dir.path() / "loop.s").string();
    const char* argv[] = {VELUMAR_RUN, "--time-limit", "60", source.c_str(), nullptr};
    const char* envp[] = {tmpdir.c_str(), "PATH=/usr/local/bin:/usr/bin:/bin", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, VELUMAR_RUN, nullptr, nullptr, const_cast<char**>(argv), const_cast<char**>(envp)), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto sent = std::chrono::steady_clock::now();
    kill(pid, sig);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2));
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    for (const auto& e : fs::directory_iterator(dir.path()))
      EXPECT_FALSE(e.path().filename().string().starts_with("velumar-run.")) << e.path();
    // No process is left working in the folder (the simulator ran there).
    for (const auto& p : fs::directory_iterator("/proc")) {
      std::error_code ec;
      const fs::path cwd = fs::read_symlink(p.path() / "cwd", ec);
      if (!ec) {
        EXPECT_FALSE(cwd.string().starts_with(dir.path().string())) << p.path();
      }
    }
  }
}

// --help and --version answer on standard output and exit 0, for both tools.
TEST(VelumarRunHelp, HelpAndVersion) {
  TempDir dir;
  Outcome r = run_in(dir.path(), shell_quote(VELUMAR_RUN) + " --help");
  EXPECT_EQ(r.status, 0);
  for (const char* option : {"--tape N=FILE", "--punch FILE", "--print-limit N", "--trace[=FROM..TO]",
                             "--break LABEL[+N]", "--show LABEL", "--dump", "--why", "--version"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  r = run_in(dir.path(), shell_quote(TAPE2SIMH) + " --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: tape2simh"), std::string::npos);
  r = run_in(dir.path(), shell_quote(TAPE2SIMH) + " --version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "tape2simh (1401 Velumar cross-assembler, version 1.3)\n");
}

// The installed programs, manual pages, documents and examples; the manual
// pages render without complaint, and the installed velumar-run finds the
// assembler beside it, also when started through a symbolic link.
TEST(Install, PutsProgramsManualPageAndDocumentsInPlace) {
  TempDir dir;
  const fs::path prefix = dir.path() / "prefix";
  Outcome r = run_in(dir.path(), "cmake --install " + shell_quote(VELUMAR_BINARY_DIR) + " --prefix prefix");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* f : {"bin/velumar", "bin/velumar-run", "bin/tape2simh", "bin/velumar-lsp",
                        "share/man/man1/velumar.1", "share/man/man1/velumar-run.1", "share/man/man1/tape2simh.1",
                        "share/doc/velumar/README.md", "share/doc/velumar/LICENSE", "share/doc/velumar/language.md",
                        "share/doc/velumar/examples/hello.s", "share/doc/velumar/examples/twoprog.s"})
    EXPECT_TRUE(fs::exists(prefix / f)) << f;
  if (run_command("command -v man >/dev/null") == 0) {
    for (const char* page : {"velumar.1", "velumar-run.1", "tape2simh.1"}) {
      r = run_in(dir.path(), std::string("MANWIDTH=80 man -l prefix/share/man/man1/") + page);
      EXPECT_EQ(r.status, 0) << page;
      EXPECT_EQ(r.err, "") << page;
      EXPECT_NE(r.out.find("EXIT STATUS"), std::string::npos) << page;
    }
  }
  if (simh_available()) {
    std::ofstream(dir.path() / "prog.s") << kHalts;
    EXPECT_EQ(run_in(dir.path(), "prefix/bin/velumar-run prog.s").out, "OK\n");
    fs::create_directory(dir.path() / "elsewhere");
    fs::create_symlink(prefix / "bin/velumar-run", dir.path() / "elsewhere/vrun");
    r = run_in(dir.path(), "PATH=/usr/bin:/bin elsewhere/vrun prog.s");
    EXPECT_EQ(r.out, "OK\n") << r.err;
  }
}

}  // namespace
}  // namespace velumar::e2e
