#include "driver/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velumar {

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
}

FileBuf::~FileBuf() {
  if (fd_ >= 0) (void)close();
}

void FileBuf::fail(int err) {
  if (error_ == 0) error_ = err != 0 ? err : EIO;
}

bool FileBuf::open_read(const std::string& name) {
  if (fd_ >= 0) (void)close();
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
  if (fd_ >= 0) (void)close();
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

bool FileBuf::close() {
  if (fd_ < 0) return error_ == 0;
  if (writing_) flush_out();
  if (::close(fd_) != 0) fail(errno);
  fd_ = -1;
  setp(nullptr, nullptr);
  setg(nullptr, nullptr, nullptr);
  return error_ == 0;
}

}  // namespace velumar
