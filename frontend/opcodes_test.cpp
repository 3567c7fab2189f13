#include "frontend/opcodes.h"

#include <gtest/gtest.h>

#include <string_view>

namespace velumar {
namespace {

TEST(OpCodes, EveryMnemonicFindsItsOwnOperation) {
  // A duplicated mnemonic makes some row find an earlier one.
  for (std::size_t row = 0; row < kOpTable.size(); ++row) {
    const Op op = static_cast<Op>(row);
    if (op == Op::Direct || op == Op::Pseudo) continue;
    EXPECT_EQ(find_op(kOpTable[row].mnemonic), op) << row;
  }
  EXPECT_EQ(find_op("DA"), Op::Da);
  EXPECT_EQ(find_op("WR"), Op::Wr);
  EXPECT_EQ(find_op("WRP"), Op::Wrp);
  EXPECT_EQ(find_op("XFR"), Op::Xfr);
}

TEST(OpCodes, LookupIsExactAndNeverFindsTheBlankRows) {
  EXPECT_EQ(find_op("MLCWA"), Op::Mlcwa);
  for (const char* field : {"MLCW", " MCW ", "MLCWAX", "     ", "", "#####"})
    EXPECT_EQ(find_op(field), Op::Unknown) << field;
  // Bytes outside the character set, NUL above all, stay in the operation
  // field; they name no operation.
  using namespace std::string_view_literals;
  for (std::string_view field : {"\0\0\0\0\0"sv, "\0"sv, "DA\0"sv, "\xff\xff\xff\xff\xff"sv})
    EXPECT_EQ(find_op(field), Op::Unknown);
}

TEST(OpCodes, RowContents) {
  EXPECT_EQ(op_info(Op::Wr).machine_op, '3');
  EXPECT_EQ(op_info(Op::Wrp).machine_op, '7');
  EXPECT_EQ(op_info(Op::Bc9).d.fixed, '9');
  EXPECT_EQ(op_info(Op::Bcv).d.fixed, '@');
  const OpInfo& rt = op_info(Op::Rt);
  EXPECT_EQ((std::string{rt.machine_op, rt.a.fixed, rt.d.fixed}), "MUR");
  EXPECT_TRUE(rt.b == Need::Required && rt.d == Need::Fixed);
  EXPECT_TRUE(op_info(Op::Mcw).d == Need::Optional);
  EXPECT_TRUE(op_info(Op::Cc).a == Need::Prohibited);
  EXPECT_TRUE(is_pseudo(Op::Chain));
  EXPECT_FALSE(is_pseudo(Op::Mcw));
}

}  // namespace
}  // namespace velumar
