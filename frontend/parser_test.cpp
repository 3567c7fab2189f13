#include "frontend/parser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "ir/operand_test_support.h"

namespace velumar {
namespace {

using Statuses = std::vector<int>;

}  // namespace

void PrintTo(const Operand& o, std::ostream* os) {
  *os << "{" << o.raw_value() << "," << static_cast<int>(o.kind) << "," << o.offset << ",'" << o.prefix << "','" << o.index_reg << "','" << o.label << "'}";
}

namespace {

struct ParserTest : ::testing::Test {
  std::ostringstream out;
  Context ctx{out};
  std::string line;

  // Parses an operand field placed at column 21, one operand per call, until
  // the parser reports the end or an error; returns the statuses.
  Statuses run(const std::string& field, int enter_name = 0, bool no_lit = false) {
    line = std::string(20, ' ') + field;
    line.resize(80, ' ');
    ctx.parser.operands().clear();
    Statuses statuses;
    for (int start = 21, status = 0; status == 0 && statuses.size() < 8;) {
      ctx.parser.parse(line, start, status, enter_name, no_lit);
      statuses.push_back(status);
    }
    return statuses;
  }
  const Operand& op(int k) const { return ctx.parser.operands().get(k); }
  const Literal& lit(int k) const { return ctx.literals[k]; }
  int count() const { return ctx.parser.operands().count; }
  bool said(const std::string& message) const { return out.str().find(message) != std::string::npos; }
};

TEST_F(ParserTest, SymbolsNumbersAndAsteriskWithAdjustments) {
  EXPECT_EQ(run("START&5,DATA-1"), (Statuses{0, 1}));
  EXPECT_EQ(op(1), opnd(OperandKind::Symbolic, 0, 5, ' ', "ST", "START "));
  EXPECT_EQ(op(2).offset, -1);
  EXPECT_EQ(ctx.symtab.size(), 0);  // ENTER_NAME 0 enters nothing
  EXPECT_EQ(run("TABLE&3&X2,*&8,ABCDEFG&X00,12-3"), (Statuses{0, 0, 0, 1}));
  EXPECT_EQ(op(1).index_reg, '2');
  EXPECT_EQ(op(2), opnd(OperandKind::Asterisk, 0, 8, ' ', "* ", "      "));
  EXPECT_EQ(op(3).label, "ABCDEF");
  EXPECT_TRUE(op(3).round_x00);
  EXPECT_EQ(op(3).adjustment(), kX00Shift);
  EXPECT_EQ(op(4), opnd(OperandKind::Actual, 12, -3, ' ', "12", "      "));
  EXPECT_EQ(ctx.diag.errors_in_job(), 0);
}

TEST_F(ParserTest, EnteredNamesTakeTheSuffix) {
  ctx.parser.set_suffix('Q');
  run("AB,ABCDEF,AB", 1);
  EXPECT_EQ(op(1).label, "ABQ   ");
  EXPECT_EQ(op(2).label, "ABCDEF");
  EXPECT_EQ(op(3).raw_value(), op(1).raw_value());
  EXPECT_EQ(ctx.symtab.lookup("ABQ"), op(1).raw_value());
  EXPECT_EQ(ctx.parser.suffixed("      "), "      ");
}

TEST_F(ParserTest, LiteralForms) {
  EXPECT_EQ(run("-25,#10,AREA#20,%U1,@HELLO@"), (Statuses{0, 0, 0, 0, 1}));
  EXPECT_EQ(op(1).kind, OperandKind::NumLit);
  EXPECT_EQ(lit(op(1).raw_value()).text, "-25");
  EXPECT_EQ(lit(op(1).raw_value()).width, 2);
  EXPECT_EQ(op(2).kind, OperandKind::BlankCon);
  EXPECT_EQ(op(2).raw_value(), 10);
  EXPECT_EQ(op(3).kind, OperandKind::AreaDef);
  EXPECT_EQ(lit(op(3).raw_value()).width, 20);
  EXPECT_EQ(op(4), opnd(OperandKind::Device, 0, 0, ' ', "  ", "%U1   "));
  EXPECT_EQ(op(5).kind, OperandKind::CharLit);
  EXPECT_EQ(lit(op(5).raw_value()).text, "HELLO");
}

TEST_F(ParserTest, AddressConstantsKeepTheirAdjustmentInTheLiteral) {
  ctx.parser.set_suffix('Q');
  run("&NAME&5&X1,-@HI@");
  EXPECT_EQ(op(1), opnd(OperandKind::AddrCon, op(1).raw_value(), 0, ' ', "& ", "NAMEQ "));
  const Literal& adcon = lit(op(1).raw_value());
  EXPECT_EQ(adcon.text, "&NAMEQ&5&X1");
  EXPECT_EQ(adcon.symbol, "NAMEQ ");
  EXPECT_EQ(adcon.offset, 5);
  EXPECT_EQ(adcon.index_reg, '1');
  EXPECT_GT(ctx.symtab.lookup("NAMEQ"), 0);
  EXPECT_EQ(op(2).kind, OperandKind::AdconLit);
  EXPECT_EQ(lit(op(2).raw_value()).text, "-@HI@");
  EXPECT_EQ(lit(lit(op(2).literal()).target).text, "HI");
}

TEST_F(ParserTest, NoLitGivesWidthsAndCreatesOnlyAreas) {
  run("&NAME,-123,777,A#4,&@XYZ@", 0, true);
  EXPECT_EQ((std::vector<int>{op(1).raw_value(), op(2).raw_value(), op(3).raw_value(), op(5).raw_value()}), (std::vector<int>{3, 3, 3, 3}));
  EXPECT_EQ(op(4).kind, OperandKind::AreaDef);
  run("@AB@", 0, true);
  EXPECT_EQ(op(1).raw_value(), 2);
  EXPECT_EQ(ctx.literals.count(), 1);
  EXPECT_EQ(ctx.symtab.size(), 0);
}

TEST_F(ParserTest, EmptyAndMissingOperands) {
  EXPECT_EQ(run(""), (Statuses{2}));
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(op(1).kind, OperandKind::Other);
  EXPECT_EQ(run("A, B"), (Statuses{0, 1}));
  EXPECT_EQ(run("A,  B"), (Statuses{0, 2}));
  EXPECT_EQ(op(2).kind, OperandKind::Other);
  EXPECT_EQ(run("@ A"), (Statuses{2}));
  EXPECT_EQ(run("A,,B"), (Statuses{0, -1}));
  EXPECT_TRUE(said("(2) Operand missing"));
  EXPECT_EQ(count(), 1);
}

TEST_F(ParserTest, ErrorMessages) {
  const std::pair<const char*, const char*> cases[] = {
      {"NAME-X1", "Indexing cannot be negative"},
      {"NAME&X4", "Index must be X[0-3]"},
      {"NAME&Q", "Index must be X[0-3]"},
      {"NAME&)", "Offset or index must be number or X#"},
      {"NAME&5&", "Offset or index must be number or X#"},  // a dangling sign
      {"NAME&5&7", "Offset or index must be number or X#"},
      {"*#5", "Asterisk cannot be followed by #"},
      {"A#B", "# must be followed by a number"},
      {"A*", "Name must not be followed by * or character literal"},
      {"#A", "Area definitions cannot have offset or indexing"},
      {"-*", "+ or - must be followed by name or number"},
      // Stray text after a complete form, reported once.
      {"@ABC@X", "Character literals must be last thing in operand"},
      {"5A,B", "Offset or indexed name must be last thing in operand"},
      {"TAG)X)", "Offset or indexed name must be last thing in operand"},
      {"A&5-X1", "Offset or indexed name must be last thing in operand"},
      {"*%U1", "Offset or indexed name must be last thing in operand"},
      {"&NAME)", "Numeric literals and address constants must be last thing in operand"},
      {"-12A", "Numeric literals and address constants must be last thing in operand"},
      {"A#5B", "Area-defining literal must be last thing in operand"},
      {"#5B", "Area definitions must be last thing in operand"},
      {"%U1X", "%U1 must be last thing in operand"},
      {"+5", "+ must be last thing in operand"},
  };
  for (auto [field, message] : cases) {
    out.str("");
    ctx.diag.begin_job();
    EXPECT_EQ(run(field), (Statuses{-1})) << field;
    EXPECT_TRUE(said(std::string("(1) ") + message)) << field << ": " << out.str();
    EXPECT_EQ(ctx.diag.errors_in_job(), 1) << field;
  }
}

TEST_F(ParserTest, ADroppedOperandRemovesOnlyItself) {
  for (const char* field : {"A,B*", "A,B#X", "A,B)"}) {
    EXPECT_EQ(run(field), (Statuses{0, -1})) << field;
    EXPECT_EQ(count(), 1) << field;
  }
  run("*#5");
  EXPECT_EQ(count(), 0);
  // After the error the scan resumes behind the next comma.
  line = std::string(20, ' ') + "A)B,C";
  int start = 21, status = 0;
  ctx.parser.parse(line, start, status, 0);
  EXPECT_EQ(start, 25);
  ctx.parser.parse(line, start, status, 0);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(op(1).label, "C     ");
}

TEST_F(ParserTest, LongTextIsKeptAndNumbersSaturate) {
  run("@" + std::string(58, 'X') + "@");
  EXPECT_EQ(lit(op(1).raw_value()).text, std::string(58, 'X'));
  run("123456789012345678901234567890&99999999999,#1234567890123");
  EXPECT_EQ(op(1).raw_value(), 999999);
  EXPECT_EQ(op(1).offset, 999999);
  EXPECT_EQ(op(2).raw_value(), 999999);
}

TEST_F(ParserTest, AdjustLeavesTheTokenAfterItToTheCaller) {
  line = std::string(20, ' ') + "X&5)";
  int start = 22, end = 22, status = 0;
  Token token = Token::Plus;
  ctx.parser.adjust(line, start, end, token, 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ctx.parser.operands().at(1).offset, 5);
  start = end + 1;
  EXPECT_EQ(ctx.lexer.lex(line, start, end), Token::Other);
}

TEST_F(ParserTest, TraceLine) {
  ctx.traces.letters = "p";
  run("AB&5&X1,-3");
  EXPECT_EQ(out.str(),
            "Parser: operands(1)%addr = 0, %kind = SYMBOLIC, %offset = 5, %d = AB, %index = 1, %label = AB\n"
            "Parser: operands(2)%addr = 1, %kind = NUM_LIT, %offset = 0, %d = - , %index =  , %label = \n");
}

}  // namespace
}  // namespace velumar
