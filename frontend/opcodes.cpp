#include "frontend/opcodes.h"

#include <algorithm>
#include <cstdint>
#include <array>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::size_t kMnemonicWidth = 5;

// A mnemonic's first five characters, blank padded, as one number: every
// card looks its operation up, and comparing numbers is cheaper than texts.
constexpr std::uint64_t mnemonic_key(std::string_view text) { return packed_key(text, kMnemonicWidth); }

// The rows by mnemonic in an open-addressed hash table, a few times larger
// than the operation table so that a lookup takes one or two probes. Among
// rows with one mnemonic the first row is the one found.
class OpIndex {
 public:
  constexpr OpIndex() {
    for (std::size_t row = 0; row < kOpTable.size(); ++row) {
      const std::uint64_t key = mnemonic_key(kOpTable[row].mnemonic);
      std::size_t slot = home(key);
      while (keys_[slot] != 0 && keys_[slot] != key) slot = (slot + 1) % kSlots;
      if (keys_[slot] == key) continue;
      keys_[slot] = key;
      ops_[slot] = static_cast<Op>(row);
    }
  }

  constexpr Op find(std::uint64_t key) const {
    // 0 marks an empty slot. A mnemonic's key is never 0, but a field of
    // NUL bytes makes key 0, so an empty slot ends the search before the
    // keys are compared.
    for (std::size_t slot = home(key);; slot = (slot + 1) % kSlots) {
      if (keys_[slot] == 0) return Op::Unknown;
      if (keys_[slot] == key) return ops_[slot];
    }
  }

 private:
  static constexpr std::size_t kSlots = 1024;
  static constexpr std::size_t home(std::uint64_t key) { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 54); }

  std::array<std::uint64_t, kSlots> keys_{};
  std::array<Op, kSlots> ops_{};
};

// Built by the compiler: no lookup can come before it.
constexpr OpIndex kOpIndex;
constexpr std::uint64_t kBlankKey = mnemonic_key("     ");

}  // namespace

Op find_op(std::string_view field) {
  // Blank padding is insignificant, but a longer mnemonic never matches a
  // shorter one by being cut.
  if (field.size() > kMnemonicWidth && !is_blank(field.substr(kMnemonicWidth))) return Op::Unknown;
  const std::uint64_t key = mnemonic_key(field);
  if (key == kBlankKey) return Op::Unknown;  // the Direct and Pseudo rows are never looked up
  return kOpIndex.find(key);
}

Op card_op(std::string_view card) {
  if (card.size() >= 6 && card[5] == '*') return Op::Direct;
  if (is_blank(col_view(card, 16, 18))) return Op::Direct;
  return find_op(col_view(card, 16, 20));
}

}  // namespace velumar
