// A deterministic generator of random source decks with random options, for
// tests that compare whole-run outputs, for property tests and for fuzzing.
// The same seed gives the same deck and options on every machine: the
// generator uses its own random number generator and no standard
// distribution (whose results differ between library implementations).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velumar::deckgen {

/// A small, fast, portable random number generator (SplitMix64).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  /// A number in [lo, hi]; lo when hi < lo.
  int between(int lo, int hi);
  /// True with a chance of `percent` in 100.
  bool chance(int percent) { return between(0, 99) < percent; }
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(between(0, static_cast<int>(items.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

/// One generated run: the source deck and the options placed before the
/// input file name. The options never name output files: the caller adds
/// -l, -o and -t as `wants_*` say, so that it picks the file names.
struct Deck {
  std::string source;
  std::vector<std::string> options;
  bool wants_listing = true;
  bool wants_object = true;
  bool wants_tape = true;
  bool from_stdin = false;  ///< the source goes to standard input, not a file
};

/// What generate() may produce.
struct Profile {
  bool random_options = true;  ///< also choose options (-a -L -s -i -X -b -p -T --keepscratch)
  bool errors = true;          ///< also write statements and cards with errors
  int max_jobs = 3;            ///< programs in one deck, each ending in END (the last may lack it)
  int max_statements = 45;     ///< statements in one program at most
};

/// The deck for `seed`.
Deck generate(std::uint64_t seed, const Profile& profile = Profile{});

/// One card: label from column 6, operation from column 16, operands from
/// column 21, and a remark two blanks after the operands (or at column 40).
std::string card(const std::string& label, const std::string& op, const std::string& operands = "",
                 const std::string& remark = "");

}  // namespace velumar::deckgen
