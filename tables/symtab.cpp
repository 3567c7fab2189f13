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
std::uint64_t key_of(std::string_view label) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < 6; ++i) {
    unsigned char c = i < label.size() ? static_cast<unsigned char>(label[i]) : ' ';
    key = (key << 8) | c;
  }
  return key;
}

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
  symbols_.reserve(static_cast<std::size_t>(capacity_));
  index_.assign(kFirstSlots, Slot{});
}

// The slot holding `key`, or the free slot where it would go.
std::size_t SymbolTable::find_slot(std::uint64_t key) const {
  const std::size_t mask = index_.size() - 1;
  std::size_t s = hash_of(key, index_.size());
  while (index_[s].num != 0 && index_[s].key != key) s = (s + 1) & mask;
  return s;
}

SymbolTable::EnterResult SymbolTable::enter(std::string_view label, int value, int index, std::string_view device) {
  EnterResult result;
  if (is_blank(label)) return result;
  if (index_.empty()) init_sym_table();

  const std::uint64_t key = key_of(label);
  std::size_t slot = find_slot(key);
  if (index_[slot].num != 0) {
    Symbol& sym = (*this)[index_[slot].num];
    if (!is_defined(sym.value)) {
      sym.value = value;
      sym.index_reg = index;
    } else {
      result.duplicate = is_defined(value);
    }
    result.index = index_[slot].num;
    return result;
  }

  if (size() >= capacity_) {
    capacity_ = 2 * size();
    symbols_.reserve(static_cast<std::size_t>(capacity_));
  }
  Symbol sym;
  sym.label = pad(label, 6);
  sym.value = value;
  sym.index_reg = index;
  sym.device = pad(device, 3);
  symbols_.push_back(std::move(sym));
  result.index = size();
  index_[slot] = {key, result.index};

  // Keep the index at most half full so that probes stay short.
  if (2 * symbols_.size() > index_.size()) {
    std::vector<Slot> old(2 * index_.size());
    old.swap(index_);
    for (const Slot& s : old)
      if (s.num != 0) index_[find_slot(s.key)] = s;
  }
  return result;
}

int SymbolTable::lookup(std::string_view label) const {
  if (index_.empty()) return -1;
  const Slot& s = index_[find_slot(key_of(label))];
  return s.num != 0 ? s.num : -1;
}

}  // namespace velumar
