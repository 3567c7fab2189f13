// The literal table: constants written directly in operands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/reporting.h"
#include "ir/operand.h"

namespace velumar {

constexpr std::string_view LIT_NAMES = "ADCON_LITADDR_CON AREA_DEF CHAR_LIT NUM_LIT  ";

/// Name of literal kind `kind`, 9 characters ("         " for an unknown kind).
std::string lit_kind_name(int kind);

struct Literal {
  int ADDR = 0;     ///< rightmost character once placed, 0 until then
  int KIND = 0;
  int WIDTH = 0;    ///< for L_ADCON_LIT: the index of the target character literal
  int OFFSET = 0;
  char INDEX = ' ';
  std::string TEXT;    ///< the literal's identifying text, kept whole
  std::string SYMBOL;  ///< L_ADDR_CON: the (suffixed) symbol name, 6 characters
};

class LiteralTable {
 public:
  explicit LiteralTable(const Reporting& rep) : rep_(rep) {}

  static constexpr int INIT_LIT_POOL_SIZE = 100;
  static constexpr int TEXT_WIDTH = 52;

  bool LONG_LITS = false;
  int NUM_LITS = 0;
  int LAST_LTORG = 1;

  void init_lit_table();

  /// Records a literal, or finds the identical one in the current pool;
  /// returns its index.
  int create_lit(int KIND, int WIDTH, std::string_view TEXT, int OFFSET = 0, char INDX = ' ',
                 std::string_view SYMBOL = {});

  /// Makes sure index N fits, doubling the capacity when it does not.
  void check_table_size(int N);

  int capacity() const { return capacity_; }
  Literal& operator[](int i) { return lits_.at(static_cast<std::size_t>(i - 1)); }
  const Literal& operator[](int i) const { return lits_.at(static_cast<std::size_t>(i - 1)); }
  bool valid(int i) const { return i >= 1 && i <= NUM_LITS; }

 private:
  Reporting rep_;
  std::vector<Literal> lits_ = std::vector<Literal>(INIT_LIT_POOL_SIZE);
  int capacity_ = INIT_LIT_POOL_SIZE;
};

}  // namespace velumar
