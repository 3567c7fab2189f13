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
  /// Opens an output that replaces `name` only when commit() is called: a
  /// regular file, or one that does not exist yet, is written to a new
  /// temporary file in the same directory; anything else (/dev/null, a
  /// pipe, a terminal) is written directly. An existing file that may not
  /// be written fails as it would for open_write. False (with error() set)
  /// on failure.
  [[nodiscard]] bool open_replace(const std::string& name);
  /// Closes the file and renames the temporary file over the target (a
  /// symbolic link there is replaced, not its target). False (with error()
  /// set, the temporary file removed and the target untouched) when a
  /// write, the close or the rename failed.
  [[nodiscard]] bool commit();
  /// Closes the file and removes the temporary file: the target stays as it
  /// was. Also done on destruction of a file never committed.
  void discard();

  /// Reads (or, with `writing`, writes) descriptor `fd`, which the process
  /// was given open (standard input or output); close() flushes it and
  /// leaves it open.
  void attach(int fd, bool writing);

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
  bool owned_ = true;   ///< false for a descriptor given by attach()
  std::string temp_;    ///< the temporary file of open_replace, until committed
  std::string target_;  ///< the name it replaces
  int error_ = 0;
  bool writing_ = false;
  std::vector<char> buf_;
};

/// True when `a` and `b` name the same regular file (through a link too),
/// or the same path once the directories are resolved when the file does
/// not exist yet. Devices, pipes and directories are never the same file:
/// two outputs on /dev/null are fine.
[[nodiscard]] bool same_file(const std::string& a, const std::string& b);

}  // namespace velumar
