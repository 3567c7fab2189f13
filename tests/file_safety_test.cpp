// The built assembler run as a user would run it, with files that are its
// own input, links, devices, closed descriptors, failures in the middle of
// the commit and signals: no run may lose the input or an earlier output,
// nor leave a temporary file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

// Each script runs in a fresh directory holding p.s (a program that
// assembles), bad.s (one with an error), noend.s (one without END) and
// old.lst, old.obj, old.tape (each the line OLD). $V is the assembler; the
// script ends with status 0 when all it checks holds, and prints what did not.
struct Script {
  const char* name;
  const char* text;
};

const Script kScripts[] = {
    {"standard_input_is_the_deck", "cp p.s in.s; $V -o in.s < in.s; [ $? = 2 ] && cmp -s in.s p.s"},
    {"standard_input_is_the_listing", "cp p.s in.s; $V -l in.s - < in.s; [ $? = 2 ] && cmp -s in.s p.s"},
    {"standard_input_is_the_scratch", "cp p.s in.s; ln -s in.s scratch; $V --keepscratch < in.s; [ $? = 2 ] && cmp -s in.s p.s"},
    {"link_to_standard_output",
     "ln -s /proc/self/fd/1 out; $V -l out p.s > so.txt && [ -L out ] && grep -q 'HELLO WORLD' so.txt"},
    {"dev_stdout_into_a_file", "echo KEEP > so.txt; $V -l /dev/stdout p.s >> so.txt && grep -q KEEP so.txt && grep -q 'HELLO WORLD' so.txt"},
    {"link_followed_and_kept", "ln -s old.lst l.lst; $V -l l.lst p.s && [ -L l.lst ] && grep -q 'HELLO WORLD' old.lst"},
    {"fifo_written_directly",
     "mkfifo f; cat f > got & $V -o f p.s && wait && [ -p f ] && grep -q HELLO got"},
    {"long_name",
     "d=$(printf 'd%.0s' $(seq 99)); p=$PWD; while [ ${#p} -lt 3850 ]; do p=$p/$d; done; mkdir -p $p;"
     "n=$p/$(printf 'f%.0s' $(seq $((4084 - ${#p})))); $V -l $n p.s && grep -q 'HELLO WORLD' $n"},
    {"standard_output_fails", "$V -l old.lst -o old.obj bad.s > /dev/full; [ $? = 2 ] && grep -qx OLD old.lst old.obj"},
    {"nothing_assembled",
     "$V -l old.lst -o old.obj -t old.tape noend.s; [ $? = 1 ] && grep -qx OLD old.lst && grep -qx OLD old.obj && "
     "grep -qx OLD old.tape"},
    {"closed_standard_error", "$V -l z.lst bad.s 2>&-; [ $? = 1 ] && ! grep -q 'error:' z.lst"},
    {"closed_standard_output", "$V -Tl -l z.lst p.s >&- && ! grep -q 'Lexer:' z.lst"},
    // The deck's directory goes away while the input is awaited: its rename
    // fails after the listing's, which is put back.
    {"rename_fails_in_the_set",
     "mkdir d; mkfifo in; ($V -l old.lst -o d/x.obj -t old.tape in; echo $? > st) & "
     "until ls -A d | grep -q .; do sleep 0.05; done; rm -rf d; cat p.s > in; wait;"
     "[ $(cat st) = 2 ] && grep -qx OLD old.lst && grep -qx OLD old.tape"},
};

class FileSafety : public ::testing::TestWithParam<Script> {};

const std::string kHello = card("START", "CS", "332") + card("", "MCW", "MSG,211") + card("", "W", "") +
                           card("", "H", "") + card("MSG", "DCW", "@HELLO WORLD@") + card("", "END", "START");

void write_inputs(const fs::path& dir) {
  std::ofstream(dir / "p.s") << kHello;
  std::ofstream(dir / "bad.s") << card("", "XYZ", "") << card("", "END", "");
  std::ofstream(dir / "noend.s") << card("START", "CS", "332");
  for (const char* f : {"old.lst", "old.obj", "old.tape"}) std::ofstream(dir / f) << "OLD\n";
}

// Names of the temporary files left anywhere under `dir`.
std::string temporaries(const fs::path& dir) {
  std::string left;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.path().filename().string().starts_with(".velumar-")) left += e.path().string() + "\n";
  return left;
}

TEST_P(FileSafety, InputAndEarlierOutputsSurvive) {
  TempDir dir;
  write_inputs(dir.path());
  const std::string command = "cd " + shell_quote(dir.path().string()) + " && V=" + shell_quote(VELUMAR_EXE) +
                              " bash -c " + shell_quote(GetParam().text) + " > log.txt 2>&1";
  EXPECT_EQ(run_command(command), 0) << GetParam().text << "\n" << read_file(dir.path() / "log.txt");
  EXPECT_EQ(temporaries(dir.path()), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, FileSafety, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

// Starts the assembler with default signal handling, its standard input
// and output on pipes and its standard error in err.txt; returns its pid.
pid_t start(const fs::path& dir, const std::vector<std::string>& args, int& in_fd, int& out_fd) {
  int in[2], out[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(sig, SIG_DFL);
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::close(in[1]);
    ::close(out[0]);
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    std::freopen("err.txt", "w", stderr);
    std::vector<char*> argv{const_cast<char*>(VELUMAR_EXE)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(VELUMAR_EXE, argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  in_fd = in[1];
  out_fd = out[0];
  return pid;
}

// Waits until a temporary file shows in `dir` (the outputs are open).
bool await_temporary(const fs::path& dir) {
  for (int i = 0; i < 200; ++i) {
    if (!temporaries(dir).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(Signals, EndTheRunAndTakeTheTemporaryFiles) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    write_inputs(dir.path());
    int in = -1, out = -1;
    const pid_t pid = start(dir.path(), {"-l", "old.lst", "-o", "new.obj", "-"}, in, out);
    ASSERT_GT(pid, 0);
    // Half a program: the run waits for the rest of its input.
    const std::string half = kHello.substr(0, 100);
    EXPECT_EQ(::write(in, half.data(), half.size()), static_cast<ssize_t>(half.size()));
    EXPECT_TRUE(await_temporary(dir.path()));
    ::kill(pid, sig);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(in);
    ::close(out);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig << " " << status;
    EXPECT_EQ(temporaries(dir.path()), "") << sig;
    EXPECT_EQ(read_file(dir.path() / "old.lst"), "OLD\n");
    EXPECT_FALSE(fs::exists(dir.path() / "new.obj"));
  }
}

TEST(Signals, BrokenPipeIsReportedOnce) {
  TempDir dir;
  write_inputs(dir.path());
  std::string big = card("START", "CS", "332");
  for (int i = 0; i < 1500; ++i) big += card("", "MCW", "MSG,211");
  std::ofstream(dir.path() / "big.s") << big << card("MSG", "DCW", "@HI@") << card("", "END", "START");
  int in = -1, out = -1;
  const pid_t pid = start(dir.path(), {"-l", "/dev/stdout", "-o", "new.obj", "big.s"}, in, out);
  ASSERT_GT(pid, 0);
  ::close(in);
  char first[100];
  EXPECT_GT(::read(out, first, sizeof first), 0);
  ::close(out);  // as `| head -1` does
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
  const std::string err = read_file(dir.path() / "err.txt");
  EXPECT_EQ(err, "velumar: write error: Broken pipe\n") << err.substr(0, 500);
  EXPECT_EQ(temporaries(dir.path()), "");
  EXPECT_FALSE(fs::exists(dir.path() / "new.obj"));
}

}  // namespace
}  // namespace velumar::e2e
