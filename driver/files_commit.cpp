// Committing the outputs as one set, the temporary files that a signal
// removes, and the standard descriptors a run must hold.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "driver/files.h"
#include "driver/files_temps.h"

namespace velumar {

namespace {

// The signals that end a run and take its temporary files with them.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// One temporary file a signal handler removes: the directory's descriptor
// (-1 for a free slot) and the name in it. The name is written before the
// descriptor is published, and the descriptor cleared before the name
// changes, so that a handler never sees half a name.
struct Slot {
  std::atomic<int> dir_fd{-1};
  char name[32] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSlots = 16;
Slot g_slots[kSlots];

constexpr std::string_view kPrefix = ".velumar-";
constexpr std::size_t kRandomChars = 6;

// A new name: the prefix and six letters or digits from the time, the
// process and a count.
std::string make_name() {
  static std::uint64_t count = 0;
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  std::uint64_t x = (static_cast<std::uint64_t>(ts.tv_nsec) << 20) ^ static_cast<std::uint64_t>(ts.tv_sec) ^
                    (static_cast<std::uint64_t>(::getpid()) << 40) ^ (++count * 0x9E3779B97F4A7C15u);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 27;
  constexpr std::string_view kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string name(kPrefix);
  for (std::size_t i = 0; i < kRandomChars; ++i, x /= kChars.size()) name += kChars[x % kChars.size()];
  return name;
}

// Blocks the ending signals for the life of the object: what it guards is
// done whole before a signal ends the run.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kEndingSignals) sigaddset(&set, sig);
    ::sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

void remember(int dir_fd, const std::string& name) {
  if (name.size() >= sizeof Slot::name) return;
  for (Slot& s : g_slots) {
    if (s.dir_fd.load() >= 0) continue;
    std::memcpy(s.name, name.c_str(), name.size() + 1);
    s.dir_fd.store(dir_fd);
    return;
  }
}

extern "C" void end_on_signal(int sig) {
  const int saved = errno;
  for (Slot& s : g_slots)
    if (const int fd = s.dir_fd.load(); fd >= 0) (void)::unlinkat(fd, s.name, 0);
  if (sig == SIGPIPE) {
    constexpr char kText[] = "velumar: write error: Broken pipe\n";
    (void)!::write(STDERR_FILENO, kText, sizeof kText - 1);
  }
  // Ended by the signal itself, as if no handler had been there.
  ::signal(sig, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(sig);
  errno = saved;
  ::_exit(128 + sig);
}

// One output of the set being renamed.
struct Step {
  FileBuf* file;
  bool existed = false;  ///< the target was there before
  std::string backup;    ///< a link to the old target while the set is renamed
  bool renamed = false;
};

}  // namespace

namespace temps {

int create(int dir_fd, unsigned mode, std::string& name) {
  SignalsHeld held;  // created and remembered, or neither
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = make_name();
    const int fd = ::openat(dir_fd, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    (void)::fchmod(fd, static_cast<mode_t>(mode));
    remember(dir_fd, candidate);
    name = std::move(candidate);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

std::string unused_name(int dir_fd) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = make_name();
    struct stat st {};
    if (::fstatat(dir_fd, candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) return candidate;
  }
  return {};
}

void forget(int dir_fd, const std::string& name) {
  for (Slot& s : g_slots) {
    if (s.dir_fd.load() == dir_fd && name == s.name) {
      s.dir_fd.store(-1);
      return;
    }
  }
}

}  // namespace temps

bool commit_outputs(std::span<FileBuf* const> files) {
  bool ok = true;
  for (FileBuf* f : files) ok = f->seal() && ok;
  std::vector<Step> steps;
  for (FileBuf* f : files)
    if (ok && !f->temp_.empty()) steps.push_back(Step{f, false, {}, false});
  SignalsHeld held;
  for (Step& s : steps) {
    struct stat st {};
    s.existed = ::fstatat(s.file->dir_fd_, s.file->target_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    // One file is replaced or not; of several, the old ones are kept until all are in place.
    if (!s.existed || steps.size() < 2) continue;
    s.backup = temps::unused_name(s.file->dir_fd_);
    const int dir = s.file->dir_fd_;
    if (!s.backup.empty() && ::linkat(dir, s.file->target_.c_str(), dir, s.backup.c_str(), 0) != 0) s.backup.clear();
  }
  for (Step& s : steps) {
    FileBuf& f = *s.file;
    if (!ok) break;
    if (::renameat(f.dir_fd_, f.temp_.c_str(), f.dir_fd_, f.target_.c_str()) != 0) {
      f.fail(errno);
      ok = false;
      break;
    }
    temps::forget(f.dir_fd_, f.temp_);
    f.temp_.clear();
    s.renamed = true;
  }
  for (Step& s : steps) {
    const int dir = s.file->dir_fd_;
    const char* target = s.file->target_.c_str();
    if (!ok && s.renamed && !s.backup.empty() && ::renameat(dir, s.backup.c_str(), dir, target) == 0) s.backup.clear();
    if (!ok && s.renamed && !s.existed) (void)::unlinkat(dir, target, 0);
    if (!s.backup.empty()) (void)::unlinkat(dir, s.backup.c_str(), 0);
    // The new name must last as its file does.
    if (ok) (void)::fsync(dir);
  }
  for (FileBuf* f : files) f->discard();
  return ok;
}

void remove_temporaries_on_signals() {
  for (int sig : kEndingSignals) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction act {};
    act.sa_handler = end_on_signal;
    sigemptyset(&act.sa_mask);
    for (int other : kEndingSignals) sigaddset(&act.sa_mask, other);
    ::sigaction(sig, &act, nullptr);
  }
}

void open_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int null_fd = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null_fd >= 0 && null_fd != fd) {
      ::dup2(null_fd, fd);
      ::close(null_fd);
    }
  }
}

}  // namespace velumar
