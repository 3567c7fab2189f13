// Run-wide switches set from the command line and read by the passes.
#pragma once

#include <string>

namespace velumar {

/// Bits of the -X option.
namespace extra {
constexpr int Extra_EX = 1;   ///< quick EX/XFR
constexpr int Extra_End = 2;  ///< quick END
constexpr int Extra_SWQ = 4;  ///< queue set-word-mark instructions
}  // namespace extra

/// Trace letters of -T: "l" lexer, "p" parser, "P" literal pools, "C" literal creation.
struct Traces {
  std::string letters;  ///< at most 6 letters
  bool on(char letter) const { return letters.find(letter) != std::string::npos; }
};

/// The pass-3 settings and the other switches of the command line.
struct Settings {
  bool Interleave = false;
  bool NotIn_1_80 = true;
  char BootLoader = 'I';
  int CoreSize = 16000;
  int MaxLine = 53;
  int Extra = 0;
};

}  // namespace velumar
