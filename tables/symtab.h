// The symbol table: every label of the program, in order of first mention.
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "ir/fixed_text.h"

namespace velumar {

// 16 bytes: a program of a million symbols holds them in 16 MB.
struct Symbol {
  FixedText<6> label;          ///< blank padded
  int value = 0;               ///< -30000 (REF) or less: referenced, not defined
  std::uint8_t index_reg = 0;  ///< index register tag (a digit's value)
  FixedText<3> device;         ///< device designation, blank when none
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
  const std::deque<Symbol>& symbols() const { return symbols_; }

 private:
  /// Records in blocks: growing never copies the table nor holds it twice.
  std::deque<Symbol> symbols_;
  /// Name index: open addressing on record indexes, compared through the
  /// record's name; a slot holding 0 is free.
  std::vector<std::uint32_t> index_;

  std::size_t find_slot(std::uint64_t key) const;
  /// The capacity the table reports: 100, doubled when full. Storage
  /// grows a block at a time whatever it says.
  int capacity_ = kInitialCapacity;
};

/// True when a symbol value counts as defined (greater than REF).
inline bool is_defined(int value) { return value > -30000; }

}  // namespace velumar
