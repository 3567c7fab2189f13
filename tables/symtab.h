// The symbol table: every label of the program, in order of first mention.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velumar {

struct Symbol {
  std::string label = "      ";  ///< 6 characters, blank padded
  int value = 0;                 ///< -30000 (REF) or less: referenced, not defined
  int index_reg = 0;             ///< index register tag
  std::string device = "   ";    ///< device designation, blank when none
};

class SymbolTable {
 public:
  static constexpr int kInitialCapacity = 100;

  struct EnterResult {
    int index = -1;          ///< record index, -1 when nothing was entered
    bool duplicate = false;  ///< the name was defined and this call defines it again
  };

  /// Discards the table and starts an empty one.
  void init_sym_table();

  /// Finds or creates the record for `label` and defines it when it was
  /// undefined. A blank label enters nothing.
  EnterResult enter(std::string_view label, int value, int index, std::string_view device = "   ");

  /// Index of the record named `label`, or -1. Never creates a record.
  int lookup(std::string_view label) const;

  int size() const { return static_cast<int>(symbols_.size()); }
  int capacity() const { return capacity_; }

  /// Record i (1..size()). Indexes never change once given. Values and
  /// devices may be rewritten through it, never LABEL (the name index keys on it).
  Symbol& operator[](int i) { return symbols_.at(static_cast<std::size_t>(i - 1)); }
  const Symbol& operator[](int i) const { return symbols_.at(static_cast<std::size_t>(i - 1)); }
  bool valid(int i) const { return i >= 1 && i <= size(); }

  /// All records in table order.
  const std::vector<Symbol>& symbols() const { return symbols_; }

 private:
  std::vector<Symbol> symbols_;
  /// Name index: open addressing on the padded name packed into an
  /// integer; a slot whose record index is 0 is free.
  struct Slot {
    std::uint64_t key = 0;
    int num = 0;
  };
  std::vector<Slot> index_;

  std::size_t find_slot(std::uint64_t key) const;
  int capacity_ = kInitialCapacity;
};

/// True when a symbol value counts as defined (greater than REF).
inline bool is_defined(int value) { return value > -30000; }

}  // namespace velumar
