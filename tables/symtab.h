// The symbol table: every label of the program, in order of first mention.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "ir/fixed_text.h"

namespace velumar {

// 16 bytes: a program of a million symbols holds them in 16 MB.
struct Symbol {
  FixedText<6> label;          ///< blank padded
  bool defined = false;        ///< false: referenced, not (yet) defined
  std::uint8_t index_reg = 0;  ///< index register tag (a digit's value)
  int value = 0;               ///< the value; meaningful only when defined
  FixedText<3> device;         ///< device designation, blank when none

  /// The value when the symbol is defined.
  std::optional<int> defined_value() const { return defined ? std::optional<int>(value) : std::nullopt; }
  /// Defines the symbol as `v`.
  void define(int v) {
    value = v;
    defined = true;
  }
};
static_assert(sizeof(Symbol) == 16);

/// A record index as enter() and lookup() give it, or none for -1 (no
/// record: a blank label, or a name not in the table).
constexpr std::optional<int> symbol_index(int index) {
  return index >= 1 ? std::optional<int>(index) : std::nullopt;
}

class SymbolTable {
 public:
  static constexpr int kInitialCapacity = 100;

  struct EnterResult {
    int index = -1;          ///< record index, -1 when nothing was entered
    bool duplicate = false;  ///< the name was defined and this call defines it again
  };

  /// Discards the table and starts an empty one.
  void init_sym_table();

  /// Finds or creates the record for `label` and defines it as `value`
  /// when it was undefined; without a value the name is only referenced.
  /// A blank label enters nothing.
  EnterResult enter(std::string_view label, std::optional<int> value, int index, std::string_view device = "   ");
  /// Enters `label` as a reference (undefined unless defined already).
  int reference(std::string_view label) { return enter(label, std::nullopt, 0).index; }

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

}  // namespace velumar
