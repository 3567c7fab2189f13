// Files of the run: a stream buffer over a file descriptor that keeps the
// system's error number of its first failure, so that a failed read or
// write (a full disk, a directory named as input) is reported with its
// cause instead of passing unnoticed; outputs that replace their targets
// only when the whole run has succeeded; and the removal of their
// temporary files when a signal ends the run.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <span>
#include <streambuf>
#include <string>
#include <vector>

namespace velumar {

/// What names one file: its device and inode; for an output that does not
/// exist yet, its directory's device and inode and its name there.
struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  std::string name;  ///< empty for a file that exists
  friend bool operator==(const FileId&, const FileId&) = default;
};

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
  /// Opens an output that replaces its target only when commit_outputs()
  /// is called. A symbolic link is followed: its final target is replaced
  /// through a temporary file beside it, and the link stays. An existing
  /// target that is not a regular file (/dev/null, a FIFO, a socket, a
  /// terminal) and a name of one of the process's own descriptors
  /// (/dev/stdout, /dev/fd/N) are written directly, never truncated. An
  /// existing file that may not be written fails as it would for
  /// open_write. False (with error() set) on failure.
  [[nodiscard]] bool open_replace(const std::string& name);
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

  /// From now on every byte written that no 1401 character stands for,
  /// but the line end, is written as "?" (for the listing, which people
  /// print and read on terminals).
  void mask_foreign_bytes() { mask_foreign_ = true; }

  bool is_open() const { return fd_ >= 0; }
  /// The errno of the first failure, 0 when there was none.
  int error() const { return error_; }
  /// The file this reads, or writes once committed; none for a file that
  /// is not a regular one (a pipe, a terminal, a device) or that is not open.
  std::optional<FileId> file_id() const;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;
  int_type underflow() override;

 private:
  friend bool commit_outputs(std::span<FileBuf* const> files);

  bool flush_out();
  /// Starts the disk writing what a temporary file holds so far (Linux).
  void write_back_early();
  void fail(int err);
  /// Writes out, syncs and closes an output before its rename; false on failure.
  bool seal();
  void start_buffer();

  int fd_ = -1;
  bool owned_ = true;    ///< false for a descriptor given by attach()
  int dir_fd_ = -1;      ///< the directory of a replaced target, until committed or discarded
  std::string temp_;     ///< the temporary file there, until committed
  std::string target_;   ///< the name it replaces there
  int error_ = 0;
  bool writing_ = false;
  bool mask_foreign_ = false;
  std::uint64_t written_back_ = 0;  ///< bytes of a temporary file handed to the disk ahead of its sync
  std::vector<char> buf_;
};

/// Replaces the targets of every open output in `files` by what was
/// written to it, as one set: each is written out and synced first, and a
/// failure there leaves every target as it was. A rename that fails puts
/// the targets already replaced back as they were (through a link kept
/// to each old file while the set is renamed). The signals that end the
/// run wait until the set is in place. False, with error() of the failing
/// file set, when the set was not committed; every temporary file is gone
/// in either case.
[[nodiscard]] bool commit_outputs(std::span<FileBuf* const> files);

/// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE remove the temporary
/// files of the outputs not yet committed and then end the process as the
/// signal does (a shell sees status 128 + the signal); a broken pipe is
/// reported once on standard error. Signals ignored when the process
/// started stay ignored.
void remove_temporaries_on_signals();

/// Opens /dev/null on descriptors 0, 1 and 2 where the process was started
/// with them closed, so that no file opened later takes their place.
void open_standard_descriptors();

}  // namespace velumar
