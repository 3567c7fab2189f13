// Files of the run: a stream buffer over a file descriptor that keeps the
// system's error number of its first failure, so that a failed read or
// write (a full disk, a directory named as input) is reported with its
// cause instead of passing unnoticed.
#pragma once

#include <streambuf>
#include <string>
#include <vector>

namespace velumar {

class FileBuf : public std::streambuf {
 public:
  FileBuf() = default;
  FileBuf(const FileBuf&) = delete;
  FileBuf& operator=(const FileBuf&) = delete;
  ~FileBuf() override;

  /// Opens an existing file for reading. False (with error() set) when it
  /// cannot be opened or is a directory.
  [[nodiscard]] bool open_read(const std::string& name);
  /// Creates or replaces a file for writing. False (with error() set) on failure.
  [[nodiscard]] bool open_write(const std::string& name);

  /// Writes out what is buffered and closes the file. False when any read,
  /// write or the close itself failed since the file was opened.
  [[nodiscard]] bool close();

  bool is_open() const { return fd_ >= 0; }
  /// The errno of the first failure, 0 when there was none.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  int_type underflow() override;

 private:
  bool flush_out();
  void fail(int err);

  int fd_ = -1;
  int error_ = 0;
  bool writing_ = false;
  std::vector<char> buf_;
};

}  // namespace velumar
