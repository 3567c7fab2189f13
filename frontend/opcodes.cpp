#include "frontend/opcodes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::size_t kMnemonicWidth = 5;

// A mnemonic's first five characters, blank padded, as one number: every
// card looks its operation up, and comparing numbers is cheaper than texts.
std::uint64_t mnemonic_key(std::string_view text) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < kMnemonicWidth; ++i)
    key = key << 8 | static_cast<unsigned char>(i < text.size() ? text[i] : ' ');
  return key;
}

struct OpKey {
  std::uint64_t key;
  Op op;
};

// The table's rows by mnemonic; among equal mnemonics the first row comes first.
const std::vector<OpKey>& rows_by_mnemonic() {
  static const std::vector<OpKey> rows = [] {
    std::vector<OpKey> v;
    for (std::size_t row = 0; row < kOpTable.size(); ++row)
      v.push_back({mnemonic_key(kOpTable[row].mnemonic), static_cast<Op>(row)});
    std::stable_sort(v.begin(), v.end(), [](const OpKey& a, const OpKey& b) { return a.key < b.key; });
    return v;
  }();
  return rows;
}

}  // namespace

Op find_op(std::string_view field) {
  // Blank padding is insignificant, but a longer mnemonic never matches a
  // shorter one by being cut.
  if (rtrim(field).size() > kMnemonicWidth) return Op::Unknown;
  if (is_blank(field)) return Op::Unknown;  // the Direct and Pseudo rows are never looked up
  const std::uint64_t key = mnemonic_key(field);
  const auto& rows = rows_by_mnemonic();
  const auto it =
      std::lower_bound(rows.begin(), rows.end(), key, [](const OpKey& row, std::uint64_t k) { return row.key < k; });
  return it != rows.end() && it->key == key ? it->op : Op::Unknown;
}

}  // namespace velumar
