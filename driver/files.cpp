#include "driver/files.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/charset.h"
#include "driver/files_temps.h"

namespace velumar {

namespace {
// Each file is read and written in pieces of this size: large enough that
// the system calls cost little beside the copying (a listing runs to
// hundreds of megabytes), small beside the memory of a run.
constexpr std::size_t kBufferSize = 1 << 18;
// As many links as the system follows in one name before it gives ELOOP.
constexpr int kMaxLinks = 40;

// The permissions a newly created file gets.
mode_t new_file_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Where an output goes once its name is followed through its links.
struct Target {
  enum class Kind { Replace, Direct, Descriptor, Failed };
  Kind kind = Kind::Failed;
  std::string dir;   ///< Replace: the directory, with its final slash ("" for the working one)
  std::string name;  ///< Replace: the name in it; Direct: the name to open
  int fd = -1;       ///< Descriptor: the process's own descriptor that the name stands for
  int err = 0;       ///< Failed: the errno
};

// The number of the process's own descriptor that `base` in directory
// `dir` names (/dev/stdout, /dev/fd/1, /proc/self/fd/1); -1 for any other file.
int descriptor_named(const std::string& dir, const std::string& base) {
  char buf[PATH_MAX];
  if (::realpath(dir.empty() ? "." : dir.c_str(), buf) == nullptr) return -1;
  const std::string real = buf;
  if (real == "/dev") {
    if (base == "stdin") return 0;
    if (base == "stdout") return 1;
    if (base == "stderr") return 2;
    return -1;
  }
  if (real != "/dev/fd" && real != "/proc/self/fd" && real != "/proc/" + std::to_string(::getpid()) + "/fd")
    return -1;
  if (base.empty() || base.size() > 9 || base.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::atoi(base.c_str());
}

// Follows `name` through its symbolic links to the file an output replaces
// or writes.
Target resolve_target(const std::string& name) {
  std::string path = name;
  for (int links = 0; links <= kMaxLinks; ++links) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = path.substr(dir.size());
    // A name ending in a slash, ".", "..": no file to replace; open reports why.
    if (base.empty() || base == "." || base == "..") return {Target::Kind::Direct, {}, path};
    if (const int fd = descriptor_named(dir, base); fd >= 0) return {Target::Kind::Descriptor, {}, {}, fd};
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      // A file not there yet is created; a missing directory is reported when it is opened.
      if (errno == ENOENT || errno == ENOTDIR) return {Target::Kind::Replace, dir, base};
      return {Target::Kind::Failed, {}, {}, -1, errno};
    }
    if (S_ISREG(st.st_mode)) return {Target::Kind::Replace, dir, base};
    if (!S_ISLNK(st.st_mode)) return {Target::Kind::Direct, {}, path};
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return {Target::Kind::Failed, {}, {}, -1, errno};
    link.resize(static_cast<std::size_t>(n));
    path = link.starts_with('/') ? link : dir + link;
  }
  return {Target::Kind::Failed, {}, {}, -1, ELOOP};
}

// Opens an existing file that is not a regular one for writing: a device,
// a FIFO, or a socket (connected to).
int open_direct(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
    sockaddr_un addr{};
    if (name.size() >= sizeof addr.sun_path) {
      errno = ENAMETOOLONG;
      return -1;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, name.c_str(), name.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
      const int err = errno;
      ::close(fd);
      errno = err;
      return -1;
    }
    return fd;
  }
  return ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
}

// Opens directory `dir` ("" for the working one) for the *at calls; a
// directory that may be searched but not read is opened as a path only.
int open_directory(const std::string& dir) {
  const char* name = dir.empty() ? "." : dir.c_str();
  int fd = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) fd = ::open(name, O_PATH | O_DIRECTORY | O_CLOEXEC);
  return fd;
}

}  // namespace

FileBuf::~FileBuf() { discard(); }

void FileBuf::fail(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
}

void FileBuf::start_buffer() {
  written_back_ = 0;
  buf_.assign(kBufferSize, '\0');
  if (writing_)
    setp(buf_.data(), buf_.data() + buf_.size());
  else
    setg(buf_.data(), buf_.data(), buf_.data());
}

bool FileBuf::open_read(const std::string& name) {
  discard();
  error_ = 0;
  writing_ = false;
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    fail(errno);
    return false;
  }
  // A directory opens for reading on POSIX but can never be read as text.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    fail(EISDIR);
    return false;
  }
  fd_ = fd;
  start_buffer();
  return true;
}

bool FileBuf::open_write(const std::string& name) {
  discard();
  error_ = 0;
  writing_ = true;
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail(errno);
    return false;
  }
  fd_ = fd;
  start_buffer();
  return true;
}

bool FileBuf::open_replace(const std::string& name) {
  discard();
  error_ = 0;
  writing_ = true;
  const Target t = resolve_target(name);
  int fd = -1;
  switch (t.kind) {
    case Target::Kind::Failed: fail(t.err); return false;
    case Target::Kind::Descriptor: fd = ::fcntl(t.fd, F_DUPFD_CLOEXEC, 0); break;
    case Target::Kind::Direct: fd = open_direct(t.name); break;
    case Target::Kind::Replace: {
      dir_fd_ = open_directory(t.dir);
      if (dir_fd_ < 0) break;
      struct stat st {};
      const bool exists = ::fstatat(dir_fd_, t.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
      // Replacing a file the user may not write would get round its protection.
      if (exists && ::faccessat(dir_fd_, t.name.c_str(), W_OK, 0) != 0) break;
      // The replacement keeps the permissions of the file it replaces; a new
      // file gets those any new file would.
      fd = temps::create(dir_fd_, exists ? (st.st_mode & 07777) : new_file_mode(), temp_);
      target_ = t.name;
      break;
    }
  }
  if (fd < 0) {
    fail(errno);
    discard();
    return false;
  }
  fd_ = fd;
  start_buffer();
  return true;
}

std::optional<FileId> FileBuf::file_id() const {
  struct stat st {};
  if (dir_fd_ >= 0) {
    if (::fstatat(dir_fd_, target_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
      return S_ISREG(st.st_mode) ? std::optional<FileId>(FileId{st.st_dev, st.st_ino, {}}) : std::nullopt;
    if (::fstat(dir_fd_, &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino, target_};
  }
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileId{st.st_dev, st.st_ino, {}};
}

bool FileBuf::seal() {
  if (fd_ < 0) return error_ == 0;
  if (writing_) flush_out();
  // What the rename makes visible must be on the disk before it.
  if (!temp_.empty() && error_ == 0 && ::fsync(fd_) != 0) fail(errno);
  return close();
}

void FileBuf::discard() {
  if (fd_ >= 0) {
    // Nothing written is kept, so nothing that failed matters.
    int err = error_;
    (void)close();
    error_ = err;
  }
  if (!temp_.empty()) {
    (void)::unlinkat(dir_fd_, temp_.c_str(), 0);
    temps::forget(dir_fd_, temp_);
  }
  temp_.clear();
  target_.clear();
  if (dir_fd_ >= 0) ::close(dir_fd_);
  dir_fd_ = -1;
}

bool FileBuf::flush_out() {
  const char* p = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
  if (mask_foreign_) mask_foreign(pbase(), left);
  while (left > 0 && error_ == 0) {
    ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno);
    } else {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  setp(buf_.data(), buf_.data() + buf_.size());
  write_back_early();
  return error_ == 0;
}

void FileBuf::write_back_early() {
#ifdef __linux__
  // A temporary file is synced before it replaces its target. Handing what
  // is written to the disk every few megabytes, without waiting, lets the
  // disk work while the assembly goes on, so that the sync at the end finds
  // little left to do. Only a hint: a failure here is not one of the file's.
  constexpr std::uint64_t kWriteBackStep = std::uint64_t{2} << 20;
  if (temp_.empty() || error_ != 0) return;
  const off_t end = ::lseek(fd_, 0, SEEK_CUR);
  if (end < 0 || static_cast<std::uint64_t>(end) < written_back_ + kWriteBackStep) return;
  (void)::sync_file_range(fd_, static_cast<off_t>(written_back_), end - static_cast<off_t>(written_back_),
                          SYNC_FILE_RANGE_WRITE);
  written_back_ = static_cast<std::uint64_t>(end);
#endif
}

FileBuf::int_type FileBuf::overflow(int_type c) {
  if (fd_ < 0 || !writing_ || !flush_out()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int FileBuf::sync() {
  if (fd_ < 0 || !writing_) return 0;
  return flush_out() ? 0 : -1;
}

FileBuf::int_type FileBuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (fd_ < 0 || writing_ || error_ != 0) return traits_type::eof();
  for (;;) {
    ssize_t n = ::read(fd_, buf_.data(), buf_.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // Seen by the reader as the end of the input; the driver asks error()
      // afterwards and reports the failure.
      fail(errno);
      return traits_type::eof();
    }
    if (n == 0) return traits_type::eof();
    setg(buf_.data(), buf_.data(), buf_.data() + n);
    return traits_type::to_int_type(*gptr());
  }
}

void FileBuf::attach(int fd, bool writing) {
  discard();
  error_ = 0;
  writing_ = writing;
  owned_ = false;
  fd_ = fd;
  start_buffer();
}

bool FileBuf::close() {
  if (fd_ < 0) return error_ == 0;
  if (writing_) flush_out();
  if (owned_ && ::close(fd_) != 0) fail(errno);
  owned_ = true;
  fd_ = -1;
  setp(nullptr, nullptr);
  setg(nullptr, nullptr, nullptr);
  return error_ == 0;
}

}  // namespace velumar
