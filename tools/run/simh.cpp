#include "tools/run/simh.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velumar::run {

namespace {

constexpr std::string_view kPrompt = "sim> ";
constexpr int kPollMs = 50;
// After an interrupt the simulator normally prompts within milliseconds.
constexpr int kInterruptGraceMs = 3000;

// Child side: make the pseudo-terminal the controlling terminal and the three
// standard descriptors, raw and without echo, then run the simulator.
[[noreturn]] void exec_simulator(const char* slave_name, const std::string& exe, const std::filesystem::path& dir) {
  setsid();
  const int slave = open(slave_name, O_RDWR);
  if (slave < 0) _exit(127);
  termios t{};
  if (tcgetattr(slave, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
  }
  dup2(slave, 0);
  dup2(slave, 1);
  dup2(slave, 2);
  if (slave > 2) close(slave);
  if (chdir(dir.c_str()) != 0) _exit(127);
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
  execlp(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

Stop parse_stop(const std::string& text) {
  Stop stop;
  std::size_t at = text.rfind(", IS: ");
  if (at == std::string::npos) return stop;
  std::size_t begin = text.rfind('\n', at);
  begin = begin == std::string::npos ? 0 : begin + 1;
  stop.reason = text.substr(begin, at - begin);
  stop.is = std::atoi(text.c_str() + at + 6);
  return stop;
}

Simh::~Simh() { kill_now(); }

bool Simh::start() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
  const char* name = ptsname(master_);
  if (name == nullptr) return false;
  const std::string slave_name = name;
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) exec_simulator(slave_name.c_str(), exe_, dir_);
  std::string banner;
  Cut cut = Cut::None;
  if (!read_until_prompt(banner, {}, cut)) return false;
  transcript_ << banner;
  return true;
}

Reply Simh::command(const std::string& line, const Watch& watch) {
  Reply reply;
  if (master_ < 0) {
    reply.cut = Cut::Lost;
    return reply;
  }
  transcript_ << line << '\n';
  const std::string sent = line + "\n";
  if (write(master_, sent.data(), sent.size()) != static_cast<ssize_t>(sent.size())) {
    reply.cut = Cut::Lost;
    return reply;
  }
  if (!read_until_prompt(reply.text, watch, reply.cut) && reply.cut == Cut::None) reply.cut = Cut::Lost;
  transcript_ << reply.text;
  return reply;
}

// Reads whatever arrives within `timeout_ms`; false when the simulator has gone.
bool Simh::read_some(std::string& out, int timeout_ms) {
  pollfd p{master_, POLLIN, 0};
  const int n = poll(&p, 1, timeout_ms);
  if (n <= 0) return true;  // nothing yet, or a signal: the caller looks again
  char buf[4096];
  const ssize_t got = read(master_, buf, sizeof buf);
  if (got <= 0) return got < 0 && errno == EINTR;
  for (ssize_t i = 0; i < got; ++i)
    if (buf[i] != '\r') out += buf[i];
  return true;
}

bool Simh::read_until_prompt(std::string& out, const Watch& watch, Cut& cut) {
  int grace_ms = -1;  // counting down once the simulator has been interrupted
  while (!out.ends_with(kPrompt)) {
    if (!read_some(out, kPollMs)) return false;
    if (grace_ms >= 0) {
      grace_ms -= kPollMs;
      if (grace_ms < 0) return false;
      continue;
    }
    if (!watch) continue;
    const Cut c = watch();
    if (c == Cut::None) continue;
    cut = c;
    if (c == Cut::Signal) return false;
    ::kill(pid_, SIGINT);  // the simulator stops the run and prompts again
    grace_ms = kInterruptGraceMs;
  }
  out.resize(out.size() - kPrompt.size());
  return true;
}

void Simh::kill_now() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int st = 0;
    while (waitpid(pid_, &st, 0) < 0 && errno == EINTR) {
    }
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    pid_ = -1;
  }
  if (master_ >= 0) {
    close(master_);
    master_ = -1;
  }
}

}  // namespace velumar::run
