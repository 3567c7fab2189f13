#include "tables/symtab.h"

#include <bit>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::size_t kFirstSlots = 256;  // a power of two, more than twice kInitialCapacity

// Names are held and compared as 6-character blank-padded fields, so "AB"
// and "AB    " are one name. A longer argument is cut to the 6 characters
// that would be stored, which keeps every stored name unique. The index
// keys on the six bytes packed into one integer: cheap to hash and compare.
std::uint64_t key_of(std::string_view label) { return packed_key(label, 6); }
constexpr std::uint64_t kBlankKey = packed_key("      ", 6);

// Fibonacci hashing: the top bits of the product depend on every
// character, so names that differ in one place spread apart.
std::size_t hash_of(std::uint64_t key, std::size_t slots) {
  const int bits = std::countr_zero(slots);
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - bits));
}

}  // namespace

void SymbolTable::init_sym_table() {
  symbols_.clear();
  symbols_.shrink_to_fit();
  capacity_ = kInitialCapacity;
  index_.assign(kFirstSlots, 0);
  index_.shrink_to_fit();
}

// The slot holding `key`, or the free slot where it would go.
std::size_t SymbolTable::find_slot(std::uint64_t key) const {
  const std::size_t mask = index_.size() - 1;
  std::size_t s = hash_of(key, index_.size());
  while (index_[s] != 0 && key_of(symbols_[index_[s] - 1].label) != key) s = (s + 1) & mask;
  return s;
}

SymbolTable::EnterResult SymbolTable::enter(std::string_view label, std::optional<int> value, int index, std::string_view device) {
  EnterResult result;
  const std::uint64_t key = key_of(label);
  // Only a name whose six columns are blank can be blank as a whole.
  if (key == kBlankKey && is_blank(label)) return result;
  if (index_.empty()) init_sym_table();

  std::size_t slot = find_slot(key);
  if (index_[slot] != 0) {
    Symbol& sym = symbols_[index_[slot] - 1];
    if (!sym.defined) {
      if (value) sym.define(*value);
      sym.index_reg = static_cast<std::uint8_t>(index);
    } else {
      result.duplicate = value.has_value();
    }
    result.index = static_cast<int>(index_[slot]);
    return result;
  }

  if (size() >= capacity_) capacity_ = 2 * size();
  Symbol& sym = symbols_.emplace_back();
  sym.label = label;
  if (value) sym.define(*value);
  sym.index_reg = static_cast<std::uint8_t>(index);
  sym.device = device;
  result.index = size();
  index_[slot] = static_cast<std::uint32_t>(result.index);

  // Keep the index at most half full so that probes stay short.
  if (2 * symbols_.size() > index_.size()) {
    std::vector<std::uint32_t> old(2 * index_.size());
    old.swap(index_);
    for (const std::uint32_t num : old)
      if (num != 0) index_[find_slot(key_of(symbols_[num - 1].label))] = num;
  }
  return result;
}

int SymbolTable::lookup(std::string_view label) const {
  if (index_.empty()) return -1;
  const std::uint32_t num = index_[find_slot(key_of(label))];
  return num != 0 ? static_cast<int>(num) : -1;
}

}  // namespace velumar
