// The simulated machine's devices for one run: card reader, printer, punch
// and tape drives, as files in the working folder; tapes converted between
// the text form users keep and SimH tape images.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velumar::run {

/// A SimH tape image as the text form of a tape file: one record a line,
/// text length (columns 1-3) and storage positions (4-6, the length less its
/// word separators; both shown as 999 when larger), then one host character a
/// tape character. Tape marks end no line: the text form has none.
std::string tape_text(const std::string& image);

/// Counts newline-ended lines of a growing file, reading only what is new.
class LineCounter {
 public:
  explicit LineCounter(std::filesystem::path path) : path_(std::move(path)) {}
  /// The lines in the file now.
  long count();

 private:
  std::filesystem::path path_;
  long long offset_ = 0;
  long lines_ = 0;
};

/// One tape drive attached to a user's file.
struct Tape {
  int unit = 0;
  std::string file;   ///< the text form, as the user named it
  std::string image;  ///< its SimH image at the start ("" for a new tape)
  bool existed = false;
};

/// The files and attach commands of a run in folder `work`.
struct Devices {
  std::filesystem::path work;
  std::string boot_image;  ///< the program's tape image when booting from tape
  std::vector<Tape> tapes;

  /// Writes fresh copies of the tapes, removes old printer and punch files
  /// and returns the commands that attach everything. `suffix` tells a rerun's
  /// files from the run's own ("" for the run itself).
  std::vector<std::string> prepare(const std::string& suffix) const;
  /// Writes back every tape the program changed; returns messages for the user.
  std::vector<std::string> save_tapes(std::string& error) const;
};

/// Reads a whole file; false when it cannot be read.
bool read_whole(const std::filesystem::path& p, std::string& out);
/// Replaces `p` by `text` through a temporary file beside it.
bool write_whole(const std::filesystem::path& p, const std::string& text);

}  // namespace velumar::run
