// The literal table: constants written directly in operands.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/reporting.h"
#include "ir/fixed_text.h"
#include "ir/operand.h"

namespace velumar {

constexpr std::string_view kLiteralKindNames = "ADCON_LITADDR_CON AREA_DEF CHAR_LIT NUM_LIT  ";

/// Name of literal kind `kind`, 9 characters ("         " for an unknown kind).
std::string lit_kind_name(LiteralKind kind);

struct Literal {
  int address = 0;  ///< rightmost character once placed, 0 until then
  LiteralKind kind{};
  int width = 0;
  int target = 0;  ///< AdconLit: the index of the character literal whose address it is
  int offset = 0;
  std::string text;     ///< the literal's identifying text, kept whole
  FixedText<6> symbol;  ///< LiteralKind::AddrCon: the (suffixed) symbol name; blank otherwise
  char index_reg = ' ';
  int same_text_before = 0;  ///< the previous literal with this text (trailing blanks aside), 0: none
};

/// The number the literal dump and trace show as the width: an
/// address-of-literal literal shows its target's index there.
inline int listed_width(const Literal& lit) { return lit.kind == LiteralKind::AdconLit ? lit.target : lit.width; }

class LiteralTable {
 public:
  explicit LiteralTable(const Reporting& rep) : rep_(rep) {}

  static constexpr int kInitialCapacity = 100;

  /// Starts an empty table for a new job.
  void init_lit_table();

  /// Records a literal, or finds the identical one in the current pool;
  /// returns its index.
  int create_lit(LiteralKind kind, int width, std::string_view text, int offset = 0, char index = ' ',
                 std::string_view symbol = {});

  /// Makes sure index `n` fits, doubling the capacity when it does not.
  /// The capacity is a count the table reports; storage grows a block at a
  /// time and holds only the literals made.
  void check_table_size(int n);

  /// With -L a character or numeric literal of any length is shared with an
  /// equal one of the pool, not only a short one.
  void set_long_literals(bool on) { long_literals_ = on; }

  /// The number of literals of the job.
  int count() const { return count_; }
  /// The first literal that no pool has placed yet.
  int last_pool_start() const { return last_pool_start_; }
  void set_last_pool_start(int i) { last_pool_start_ = i; }

  int capacity() const { return capacity_; }
  /// Literal i, 1..count().
  Literal& operator[](int i) { return lits_.at(static_cast<std::size_t>(i - 1)); }
  const Literal& operator[](int i) const { return lits_.at(static_cast<std::size_t>(i - 1)); }
  bool valid(int i) const { return i >= 1 && i <= count_; }

 private:
  Reporting rep_;
  /// In blocks: growing never copies the literals nor holds them twice.
  std::deque<Literal> lits_;
  /// Text index: open addressing on the text without trailing blanks; a
  /// slot holds the newest literal of that text (0: free), and the others
  /// follow through same_text_before. Finding a literal to share then costs
  /// the literals of equal text in the pool, not the whole pool.
  std::vector<std::uint32_t> by_text_;
  std::size_t texts_ = 0;  ///< slots in use
  int capacity_ = kInitialCapacity;
  bool long_literals_ = false;
  int count_ = 0;
  int last_pool_start_ = 1;

  std::size_t text_slot(std::string_view key) const;
  void index_text(std::size_t slot, int num);
};

}  // namespace velumar
