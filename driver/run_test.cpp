#include "driver/run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "driver/options.h"
#include "core/text.h"

namespace velumar {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string out;
};

RunResult run(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), "velumar");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(input);
  std::ostringstream out;
  RunResult r;
  r.status = velumar_main(static_cast<int>(args.size()), argv.data(), in, out);
  r.out = out.str();
  return r;
}

std::string card(std::string_view label, std::string_view op, std::string_view operands = "") {
  std::string c(80, ' ');
  c.replace(5, label.size(), label);
  c.replace(15, op.size(), op);
  c.replace(20, operands.size(), operands);
  return c + "\n";
}

std::string read_file(const fs::path& p) {
  std::ifstream in(p);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A private working directory, entered for the test and removed after it.
class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("velumar_run_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  fs::path dir_, old_;
};

const std::string kHello = card("START", "CS", "332") + card("", "CS") + card("", "MCW", "MSG,212") + card("", "W") +
                           card("", "H", "START") + card("MSG", "DCW", "@HELLO WORLD@") + card("", "END", "START");

std::string io_lines(std::string_view what, std::string_view file, int err) {
  return std::string(what) + "\n" + std::string(file) + "\n" + std::strerror(err) + "\nError status code = " +
         std::to_string(err) + "\n";
}

TEST_F(RunTest, StopsBeforeAssemblingWithTheRightStatus) {
  EXPECT_EQ(run({"-V"}).status, kExitOk);
  EXPECT_EQ(run({"-h"}).status, kExitOk);
  EXPECT_EQ(run({"-hx"}).status, kExitUsageOrIo);
  EXPECT_EQ(run({"-p", "x"}).status, kExitUsageOrIo);
  RunResult r = run({"-q", "-lnot_created.lst"});
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_TRUE(r.out.starts_with("Usage: velumar [options] input-file\n"));
  EXPECT_FALSE(fs::exists("not_created.lst"));
}

TEST_F(RunTest, FilesThatCannotBeOpened) {
  RunResult r = run({"missing.s"});
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_EQ(r.out, io_lines("While opening input file", "missing.s", ENOENT));

  fs::create_directory("adir");
  r = run({"adir"});
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_EQ(r.out, io_lines("While opening input file", "adir", EISDIR));

  r = run({"-l", "nodir/x.lst", "prog.s"});
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_EQ(r.out, io_lines("While opening \"listing\" file", "nodir/x.lst", ENOENT));

  r = run({"-mlib.mac"});
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_EQ(r.out, io_lines("While opening \"macro library\" file", "lib.mac", ENOENT));

  r = run({"-t", "adir"});
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_EQ(r.out, io_lines("While opening \"loadable tape\" file", "adir", EISDIR));
}

TEST_F(RunTest, EmptyInputIsANormalEnd) {
  RunResult r = run({}, "");
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "");
  // Blank and comment cards after the last program are not a program.
  r = run({}, kHello + "\n" + card("*", "") + "   \n");
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "");
}

TEST_F(RunTest, ProgramWithoutEndIsNotAssembled) {
  RunResult r = run({"-l", "p.lst", "-o", "p.obj"}, card("", "CS", "332") + card("", "H"));
  EXPECT_EQ(r.status, kExitAssemblyErrors);
  EXPECT_EQ(r.out, "End of input before END: program not assembled\n");
  EXPECT_EQ(read_file("p.lst"), "");
  EXPECT_EQ(read_file("p.obj"), "");

  // A complete program before it is still assembled.
  r = run({"-o", "p.obj"}, kHello + card("", "H"));
  EXPECT_EQ(r.status, kExitAssemblyErrors);
  EXPECT_NE(read_file("p.obj"), "");
}

TEST_F(RunTest, ErrorsGiveStatusOneAndTheirCount) {
  std::ofstream("lib.mac") << "anything\n";
  // -m requires the library but the source still comes from the input.
  RunResult r = run({"-m", "lib.mac"}, kHello);
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "");

  r = run({}, card("", "XYZ") + card("", "END"));
  EXPECT_EQ(r.status, kExitAssemblyErrors);
  EXPECT_NE(r.out.find("    1 Errors\n"), std::string::npos) << r.out;
}

TEST_F(RunTest, TwoJobsShareTheOutputFiles) {
  std::ofstream("two.s") << kHello << kHello;
  RunResult r = run({"-ltwo.lst", "-otwo.obj", "two.s"});
  EXPECT_EQ(r.status, kExitOk);
  // Each job's deck starts with its own loader, numbered from card 0001.
  std::istringstream deck(read_file("two.obj"));
  int first_cards = 0;
  for (std::string line; std::getline(deck, line);)
    if (line.size() >= 75 && line.substr(71, 4) == "0001") ++first_cards;
  EXPECT_EQ(first_cards, 2);
}

TEST_F(RunTest, WriteFailureIsNotASuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  RunResult r = run({"-l", "/dev/full"}, kHello);
  EXPECT_EQ(r.status, kExitUsageOrIo);
  EXPECT_NE(r.out.find(io_lines("While writing \"listing\" file", "/dev/full", ENOSPC)), std::string::npos) << r.out;
}

TEST_F(RunTest, ReadFailureOnStandardInputStopsTheRun) {
  // A stream buffer whose device fails on the first read.
  struct Failing : std::streambuf {
    int_type underflow() override { throw std::runtime_error("device error"); }
  } failing;
  std::istream in(&failing);
  std::ostringstream out;
  std::string name = "velumar";
  char* argv[] = {name.data(), nullptr};
  EXPECT_EQ(velumar_main(1, argv, in, out), kExitUsageOrIo);
  // The input's name is blank for standard input and still has its line.
  EXPECT_EQ(out.str(), "While reading input\n\n" + std::string(std::strerror(EIO)) + "\nError status code = " +
                           std::to_string(EIO) + "\n");
}

TEST_F(RunTest, FailingStandardOutputIsNotASuccess) {
  // A stream buffer that refuses every character, like a full disk.
  struct Refusing : std::streambuf {
    int_type overflow(int_type) override { return traits_type::eof(); }
  } refusing;
  std::ostream out(&refusing);
  std::istringstream in;
  std::string name = "velumar", opt = "-V";
  char* argv[] = {name.data(), opt.data(), nullptr};
  EXPECT_EQ(velumar_main(2, argv, in, out), kExitUsageOrIo);
}

TEST_F(RunTest, TableDumpsFollowEachPass) {
  RunResult r = run({"-s"}, kHello);
  EXPECT_EQ(r.status, kExitOk);
  std::size_t after1 = r.out.find("After pass 1:");
  ASSERT_NE(after1, std::string::npos) << r.out;
  EXPECT_NE(r.out.find("After pass 2:", after1), std::string::npos) << r.out;

  r = run({"-s"}, card("START", "CS", "332"));  // no END: pass 1 only
  EXPECT_NE(r.out.find("After pass 1:"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("After pass 2:"), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.ends_with("End of input before END: program not assembled\n")) << r.out;
}

TEST_F(RunTest, KeepScratchLeavesTheLastProgramWithCards) {
  RunResult r = run({"--keepscratch"}, kHello + card("", "DCW", "@X@") + card("", "END") + "\n\n");
  EXPECT_EQ(r.status, kExitOk);
  std::string text = read_file("scratch");
  EXPECT_NE(text.find("@X@"), std::string::npos);
  EXPECT_EQ(text.find("HELLO"), std::string::npos);  // the first program's records are gone

  run({}, kHello);  // without the option the file is left alone
  EXPECT_EQ(read_file("scratch"), text);
}

// Every file in the working directory with its contents.
std::map<std::string, std::string> snapshot() {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator("."))
    files[e.path().filename().string()] = fs::is_symlink(e.symlink_status()) ? "-> " + fs::read_symlink(e).string()
                                          : fs::is_regular_file(e.status())  ? read_file(e.path())
                                                                             : "(other)";
  return files;
}

TEST_F(RunTest, RunsThatFailLeaveEveryEarlierFileAsItWas) {
  std::ofstream("prog.s") << kHello;
  std::ofstream("scratch.s") << kHello;
  std::ofstream("keep.deck") << "KEEP\n";
  std::ofstream("old.lst") << "OLD\n";
  fs::create_directory("adir");
  fs::create_symlink("keep.deck", "deck.link");
  fs::create_symlink("scratch.s", "scratch");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out_start;
  };
  const std::string same = "\nError status code = " + std::to_string(EEXIST) + "\n";
  const std::vector<Case> cases = {
      {{"-l", "prog.s", "prog.s"}, 2, "While opening \"listing\" file\nprog.s\nSame file as the input file" + same},
      {{"-o", "keep.deck", "squres.s"}, 2, "While opening input file\nsqures.s\n"},
      {{"-l", "old.lst", "adir"}, 2, "While opening input file\nadir\n"},
      {{"-l", "old.lst", "-X", "abc"}, 2, "While processing X option\n"},
      {{"-l", "old.lst", "-q"}, 2, "Usage: "},
      {{"-l", "old.lst", "-V"}, 0, "1401 Velumar"},
      {{"-l", "old.lst", "-o", "./adir/../old.lst", "prog.s"},
       2,
       "While opening \"object deck\" file\n./adir/../old.lst\nSame file as the \"listing\" file" + same},
      {{"-o", "keep.deck", "-t", "deck.link", "prog.s"}, 2, "While opening \"loadable tape\" file\ndeck.link\nSame"},
      {{"-l", "old.lst", "--keepscratch", "scratch.s"}, 2, "While opening \"scratch\" file\nscratch\nSame"},
      {{"-l", "prog.s", "-mprog.s", "scratch.s"},
       2,
       "While opening \"listing\" file\nprog.s\nSame file as the \"macro"},
      {{"-o", "keep.deck", "-l", "old.lst", "-t", "/dev/full", "prog.s"}, 2, "While writing \"loadable tape\" file\n"},
      {{"-o", "keep.deck", "-l", "/dev/full", "prog.s"}, 2, "While writing \"listing\" file\n"},
  };
  const auto before = snapshot();
  for (const Case& c : cases) {
    RunResult r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << " " << c.args.back() << "\n" << r.out;
    EXPECT_TRUE(r.out.starts_with(c.out_start)) << r.out;
    EXPECT_EQ(snapshot(), before) << c.args[1] << " " << c.args.back();  // no temporary file left either
  }
}

TEST_F(RunTest, OrdinaryRunReplacesEveryOutput) {
  std::ofstream("prog.s") << kHello;
  std::ofstream("old.lst") << "OLD\n";
  std::ofstream("target.tape") << "TARGET\n";
  fs::create_symlink("target.tape", "link.tape");
  fs::permissions("old.lst", fs::perms::owner_read | fs::perms::owner_write);
  RunResult r = run({"-l", "old.lst", "-o", "new.obj", "-t", "link.tape", "--keepscratch", "prog.s"});
  EXPECT_EQ(r.status, kExitOk) << r.out;
  EXPECT_TRUE(read_file("old.lst").find("HELLO WORLD") != std::string::npos);
  EXPECT_EQ(fs::status("old.lst").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(read_file("new.obj").empty());
  // The link stays; the file it points to is replaced by the tape file.
  EXPECT_TRUE(fs::is_symlink("link.tape"));
  EXPECT_NE(read_file("target.tape"), "TARGET\n");
  EXPECT_TRUE(read_file("target.tape").starts_with(read_file("link.tape")));
  // prog.s, old.lst, new.obj, link.tape, target.tape, scratch: no temporary file left.
  EXPECT_EQ(snapshot().size(), 6u);

  r = run({"-l", "/dev/null", "-o", "/dev/null", "-t", "/dev/null", "prog.s"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "");
}

TEST_F(RunTest, DiagnosticRecordsAre109Columns) {
  RunResult r = run({"--keepscratch"}, card("", "XYZ") + card("", "END"));
  const std::string record = "ERROR******* " + pad("Unrecognized op code", 72) + "     0     1     0     0";
  // Pass 1 reports it in the kept intermediate text, pass 3's count on the console.
  EXPECT_EQ(read_file("scratch").substr(0, 110), record + "\n");
  EXPECT_EQ(r.out, "    1: Unrecognized op code\n    2:     1 Errors\nERROR******* " + pad("    1 Errors", 72) +
                       "     0     2     0     0\n");
}

}  // namespace
}  // namespace velumar
