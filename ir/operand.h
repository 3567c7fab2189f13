// The operand record that the parser fills and the intermediate file carries.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ir/fixed_text.h"

namespace velumar {

/// Kinds of literal, as the parser creates them. The numbers are those of
/// the literal trace.
enum class LiteralKind : int { AdconLit = 1, AddrCon, AreaDef, CharLit, NumLit };

/// What an operand is. The numbers (and kOperandKindNames) are those of the
/// text form of records; 0 is an operand the statement does not have.
enum class OperandKind : unsigned char {
  None = 0,
  Actual,     ///< a number: address() is the address (count() before pass 1 reads it)
  AdconLit,   ///< "+@...@": literal() is the address-of-literal literal
  AddrCon,    ///< "+NAME": literal() in an instruction, constant_symbol() in a DCW
  AreaDef,    ///< "NAME#n": literal() is the area
  Asterisk,   ///< "*": address() once pass 1 knows it
  BlankCon,   ///< "#n": count() is the width of the blanks
  CharLit,    ///< "@...@": literal(), or count() (its width) in a DCW
  DaOpt,      ///< the option list of a DA
  Device,     ///< a device name; label holds it
  NumLit,     ///< "+n"/"-n": literal(), or count() (its digits) in a DCW
  Other,      ///< anything that refers to nothing
  Symbolic,   ///< a name: symbol() is its symbol index
};

constexpr std::string_view kOperandKindNames =
    "ACTUAL    ADCON_LIT ADDR_CON  AREA_DEF  ASTERISK  BLANK_CON CHAR_LIT  DA_OPT    DEVICE    NUM_LIT   OTHER     SYMBOLIC  ";

/// Name of operand kind `kind` without trailing blanks ("" for an unknown kind).
std::string_view operand_kind_name(OperandKind kind);

/// The sign written before a constant.
enum class Sign : unsigned char { None, Plus, Minus };

/// The sign that character `c` writes: "-" minus, "+" or "&" plus.
constexpr Sign sign_of(char c) { return c == '-' ? Sign::Minus : (c == '+' || c == '&') ? Sign::Plus : Sign::None; }

/// Location counter after an ORG to a symbol that is not yet defined.
constexpr int kUndefinedOrg = -60000;
/// What the adjustment X00 adds to an address where it asks for no
/// rounding (anywhere but ORG and LTORG): enough to take any address out
/// of storage, where it is flagged. The text form of records writes it in
/// the offset column.
constexpr int kX00Shift = 100000;

/// One operand. What its number means depends on `kind`; the accessors
/// name the meaning a caller relies on (they read and write the same value).
/// The fields are ordered so that an operand takes 20 bytes.
struct Operand {
  int offset = 0;        ///< the number added to the address (0 with X00)
  FixedText<6> label;    ///< symbol, literal label or device text
  FixedText<2> prefix;   ///< first two characters of the operand as written
  OperandKind kind = OperandKind::None;
  char index_reg = ' ';  ///< index register digit or blank
  /// The adjustment is "X00": ORG and LTORG round up to a multiple of 100.
  bool round_x00 = false;
  /// The sign of a DC or DCW constant (a literal's too): the zone of a
  /// number's units digit, the complement of an address. Not part of the
  /// text form, which shows it on the card.
  Sign sign = Sign::None;

  /// What is added to the address outside ORG and LTORG: the offset, or
  /// kX00Shift for X00.
  int adjustment() const { return round_x00 ? kX00Shift : offset; }

  /// Symbol index (Symbolic).
  int symbol() const { return value_; }
  /// Symbol index of an address constant in a DC, DCW or pool (AddrCon
  /// there); none when its name is blank or names no symbol.
  std::optional<int> constant_symbol() const {
    return value_ >= 1 ? std::optional<int>(value_) : std::nullopt;
  }
  /// Literal index (the literal kinds in an instruction).
  int literal() const { return value_; }
  /// Address (Actual, Asterisk).
  int address() const { return value_; }
  /// A width or count (BlankCon; a DA's record count and size; a DCW's
  /// constants before pass 1 turns them into values).
  int count() const { return value_; }
  void set_symbol(int index) { value_ = index; }
  void set_constant_symbol(std::optional<int> index) { value_ = index.value_or(kNoConstantSymbol); }
  void set_literal(int index) { value_ = index; }
  void set_address(int address) { value_ = address; }
  void set_count(int count) { value_ = count; }

  /// The number whatever it means, for the text form and traces.
  int raw_value() const { return value_; }
  void set_raw_value(int value) { value_ = value; }

  bool operator==(const Operand&) const = default;

 private:
  /// How the number reads for an address constant that names no symbol;
  /// the text form writes it so.
  static constexpr int kNoConstantSymbol = -1;

  int value_ = 0;
};
static_assert(sizeof(Operand) == 20);

/// The operand list of one statement.
/// Operands are numbered from 1. The list grows as needed, and reading an
/// operand that the statement does not have gives an all-zero, blank one.
class OperandList {
 public:
  int count = 0;

  /// Operand k for writing (1-based); the storage grows to hold it.
  Operand& at(int k) {
    if (k < 1) k = 1;
    if (static_cast<std::size_t>(k) > slots_.size()) grow(k);
    return slots_[static_cast<std::size_t>(k - 1)];
  }
  /// Operand k for reading; a blank operand when k is not 1..count.
  const Operand& get(int k) const {
    if (k < 1 || k > count || static_cast<std::size_t>(k) > slots_.size()) return kBlank;
    return slots_[static_cast<std::size_t>(k - 1)];
  }
  /// The first `count` operands (blank ones where none was written).
  std::span<const Operand> filled();
  void clear() { count = 0; }

 private:
  static const Operand kBlank;
  void grow(int k);

  std::vector<Operand> slots_;
};

}  // namespace velumar
