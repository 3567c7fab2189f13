// Runs object decks and tape files on the SimH IBM 1401 simulator (i1401)
// and collects what the simulated printer printed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/tape_image.h"

namespace velumar::e2e {

using velumar::tape_image;

/// A fresh directory under the system's temporary directory, removed with
/// everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

/// What one simulator run left behind.
struct SimhRun {
  int exit_status = -1;              ///< the shell's status of i1401 (124: timed out)
  std::string console;               ///< the simulator console, for failure messages
  std::vector<std::string> printed;  ///< the printer's lines, trailing blanks removed
};

/// True when the command i1401 can be run.
bool simh_available();

/// `text` quoted for /bin/sh.
std::string shell_quote(std::string_view text);

/// Runs a shell command; returns its exit status (-1 when it did not run).
int run_command(const std::string& command);

/// Boots the card deck in file `deck` (one 80-column card a line) from the
/// card reader, with the host character set of our code table, and runs it
/// until it halts or stops (20 seconds at most). Works in `dir`.
SimhRun boot_deck(const std::filesystem::path& deck, const std::filesystem::path& dir);

/// Boots a tape file from drive 1, like boot_deck does for cards.
SimhRun boot_tape(const std::filesystem::path& tape_file, const std::filesystem::path& dir);

/// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::filesystem::path& p);

}  // namespace velumar::e2e
