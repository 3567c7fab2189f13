// Run-wide switches set from the command line and read by the passes.
#pragma once

#include <string>

namespace velumar {

/// Bits of the -X option.
namespace extra {
constexpr int kQuickEx = 1;         ///< quick EX/XFR
constexpr int kQuickEnd = 2;        ///< quick END
constexpr int kQueueWordMarks = 4;  ///< queue set-word-mark instructions
}  // namespace extra

/// Trace letters of -T: "l" lexer, "p" parser, "P" literal pools, "C" literal creation.
struct Traces {
  std::string letters;  ///< at most 6 letters
  bool on(char letter) const { return letters.find(letter) != std::string::npos; }
};

/// The pass-3 settings and the other switches of the command line.
struct Settings {
  bool interleave = false;        ///< -i: object cards interleaved in the listing
  bool keep_out_of_1_80 = true;   ///< flag code or data in the read area 1-80 (-a clears it)
  char boot_loader = 'I';         ///< -b: loader deck in front of the object deck
  int core_size = 16000;          ///< -bI#: storage size the IBM loader clears
  int max_line = 53;              ///< -p: lines per listing page
  int extras = 0;                 ///< -X: bits of namespace extra
};

}  // namespace velumar
