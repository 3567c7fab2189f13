// Runs object decks and tape files on the SimH IBM 1401 simulator (i1401)
// and collects what the simulated printer printed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/harness.h"
#include "tools/tape_image.h"

namespace velumar::e2e {

using velumar::tape_image;

/// What one simulator run left behind.
struct SimhRun {
  int exit_status = -1;              ///< the shell's status of i1401 (124: timed out)
  std::string console;               ///< the simulator console, for failure messages
  std::vector<std::string> printed;  ///< the printer's lines, trailing blanks removed
};

/// True when the command i1401 can be run.
bool simh_available();

/// Boots the card deck in file `deck` (one 80-column card a line) from the
/// card reader, with the host character set of our code table, and runs it
/// until it halts or stops (20 seconds at most). Works in `dir`.
SimhRun boot_deck(const std::filesystem::path& deck, const std::filesystem::path& dir);

/// Boots a tape file from drive 1, like boot_deck does for cards.
SimhRun boot_tape(const std::filesystem::path& tape_file, const std::filesystem::path& dir);

}  // namespace velumar::e2e
