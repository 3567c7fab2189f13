#include "driver/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace velumar {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;

// The directory part of a file name, with its final slash; empty for a
// name in the working directory.
std::string directory_of(const std::string& name) {
  std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The permissions a newly created file gets.
mode_t new_file_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The name with its directory resolved (links, "." and ".."), for a file
// that need not exist yet; the name itself when the directory cannot be.
std::string resolved_name(const std::string& name) {
  std::string dir = directory_of(name);
  std::string base = name.substr(dir.size());
  char buf[PATH_MAX];
  if (::realpath(dir.empty() ? "." : dir.c_str(), buf) == nullptr) return name;
  return std::string(buf) + "/" + base;
}

}  // namespace

FileBuf::~FileBuf() {
  if (!temp_.empty())
    discard();
  else if (fd_ >= 0)
    (void)close();
}

void FileBuf::fail(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
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
  buf_.assign(kBufferSize, '\0');
  setg(buf_.data(), buf_.data(), buf_.data());
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
  buf_.assign(kBufferSize, '\0');
  setp(buf_.data(), buf_.data() + buf_.size());
  return true;
}

bool FileBuf::open_replace(const std::string& name) {
  discard();
  error_ = 0;
  struct stat st {};
  bool exists = ::stat(name.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) {
    fail(errno);
    return false;
  }
  // Devices and pipes cannot be replaced, and a name ending in a slash
  // names no file: open them as they are, and let open report the error.
  if ((exists && !S_ISREG(st.st_mode)) || name.empty() || name.back() == '/') return open_write(name);
  writing_ = true;
  // Replacing a file the user may not write would get round its protection.
  if (exists && ::access(name.c_str(), W_OK) != 0) {
    fail(errno);
    return false;
  }
  std::string tmpl = directory_of(name) + ".velumar-XXXXXX";
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) {
    fail(errno);
    return false;
  }
  // The replacement keeps the permissions of the file it replaces; a new
  // file gets those any new file would.
  (void)::fchmod(fd, exists ? (st.st_mode & 07777) : new_file_mode());
  fd_ = fd;
  temp_ = tmpl;
  target_ = name;
  buf_.assign(kBufferSize, '\0');
  setp(buf_.data(), buf_.data() + buf_.size());
  return true;
}

bool FileBuf::commit() {
  if (!close()) {
    discard();
    return false;
  }
  if (temp_.empty()) return true;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    fail(errno);
    discard();
    return false;
  }
  temp_.clear();
  return true;
}

void FileBuf::discard() {
  if (fd_ >= 0) {
    // Nothing written is kept, so nothing that failed matters.
    int err = error_;
    (void)close();
    error_ = err;
  }
  if (!temp_.empty()) (void)::unlink(temp_.c_str());
  temp_.clear();
}

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  bool has_a = ::stat(a.c_str(), &sa) == 0;
  bool has_b = ::stat(b.c_str(), &sb) == 0;
  if (has_a && has_b)
    return S_ISREG(sa.st_mode) && S_ISREG(sb.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (has_a || has_b) return false;
  return resolved_name(a) == resolved_name(b);
}

bool FileBuf::flush_out() {
  const char* p = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
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
  return error_ == 0;
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
  buf_.assign(kBufferSize, '\0');
  if (writing)
    setp(buf_.data(), buf_.data() + buf_.size());
  else
    setg(buf_.data(), buf_.data(), buf_.data());
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
