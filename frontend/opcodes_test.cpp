#include "frontend/opcodes.h"

#include <gtest/gtest.h>

namespace velumar {
namespace {

const OpCode& row_of(std::string_view op) { return OP_CODES[static_cast<std::size_t>(find_op(op))]; }

TEST(OpCodes, EveryMnemonicFindsItsOwnRow) {
  // A duplicated or misplaced mnemonic makes some row find an earlier one.
  for (int row = 1; row <= 115; ++row) {
    if (row == 102) continue;
    EXPECT_EQ(find_op(OP_CODES[static_cast<std::size_t>(row)].OP), row) << row;
  }
  EXPECT_EQ(find_op("DA"), 1);
  EXPECT_EQ(find_op("WR"), 83);
  EXPECT_EQ(find_op("WRP"), 85);
  EXPECT_EQ(find_op("XFR"), 115);
}

TEST(OpCodes, LookupIsExactAndSkipsBlankAndEndRows) {
  EXPECT_EQ(find_op("MLCWA"), 20);
  for (const char* field : {"MLCW", " MCW ", "MLCWAX", "     ", "#####"}) EXPECT_EQ(find_op(field), OP_NOT_FOUND) << field;
  EXPECT_EQ(find_op("#####", 116), 116);
}

TEST(OpCodes, RowContents) {
  EXPECT_EQ(row_of("WR").MachineOp, '3');
  EXPECT_EQ(row_of("WRP").MachineOp, '7');
  EXPECT_EQ(row_of("BC9").D, '9');
  EXPECT_EQ(row_of("BCV").D, '@');
  const OpCode& rt = row_of("RT");
  EXPECT_EQ((std::string{rt.MachineOp, rt.A, rt.B, rt.D}), "MU{R");
  EXPECT_TRUE(is_fixed_d(rt.D));
  EXPECT_FALSE(is_fixed_d(row_of("MCW").D));
  EXPECT_EQ(row_of("CC").A, PRO);
}

}  // namespace
}  // namespace velumar
