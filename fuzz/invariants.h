// Properties of a run of the assembler that hold whatever its input: the
// fuzz target checks them after every run, and the regression tests check
// them on the decks that once broke them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velumar::fuzz {

/// What one run read and produced.
struct Outputs {
  std::string source;   ///< the deck read
  int status = 0;       ///< exit status
  std::string deck;     ///< object deck file (empty when not written)
  std::string tape;     ///< tape file (empty when not written)
  std::string locations;  ///< where the passes left the location counter differently (empty when they agree)
};

/// The options that the first three bytes of a fuzz input choose: every
/// switch of the command line on or off, a few values for those that take
/// one, the listing, deck and tape as out.lst, out.obj, out.tape, and the
/// source from standard input.
std::vector<std::string> options_from(std::uint8_t a, std::uint8_t b, std::uint8_t c);

/// Cards a deck may hold for a source of `lines` lines: one statement
/// places at most a storage's worth of characters and one word mark per
/// position, so the output grows with the source, never beyond that.
long long card_bound(long long lines);
/// Tape records the same source may produce.
long long tape_bound(long long lines);

/// Empty when every property holds, else a description of the first that fails.
std::string check(const Outputs& run);

}  // namespace velumar::fuzz
