#include "frontend/lexer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"

namespace velumar {
namespace {

struct Tok {
  Token kind;
  int start, end;
  bool operator==(const Tok&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Tok& t) {
  return os << static_cast<int>(t.kind) << "@" << t.start << "-" << t.end;
}
using Toks = std::vector<Tok>;

struct LexerTest : ::testing::Test {
  std::ostringstream out;
  Context ctx{out};

  Tok lex(std::string_view line, int start) {
    int end = 0;
    const Token kind = ctx.lexer.lex(line, start, end);
    return {kind, start, end};
  }
  // Tokens of an operand field placed at column 21, up to the end of the field.
  Toks field(const std::string& text) {
    std::string line = std::string(20, ' ') + text;
    line.resize(80, ' ');
    Toks toks{lex(line, 21)};
    while (toks.back().kind != Token::Done && toks.size() < 20) toks.push_back(lex(line, toks.back().end + 1));
    return toks;
  }
};

TEST_F(LexerTest, LabelField) {
  EXPECT_EQ(lex("           ", 6), (Tok{Token::Done, 6, 5}));
  EXPECT_EQ(lex("     START1", 6), (Tok{Token::Name, 6, 11}));
  EXPECT_EQ(lex("     ABC", 9), (Tok{Token::Done, 9, 9}));
  EXPECT_EQ(lex("     ABC", 12), (Tok{Token::Done, 12, 9}));
}

TEST_F(LexerTest, BlankEndsTheFieldExceptOneAfterAComma) {
  EXPECT_EQ(field("A,B C"),
            (Toks{{Token::Name, 21, 21}, {Token::Comma, 22, 22}, {Token::Name, 23, 23}, {Token::Done, 24, 24}}));
  EXPECT_EQ(field("A, B").at(2), (Tok{Token::Name, 24, 24}));
  EXPECT_EQ(field("A,  B").at(2), (Tok{Token::Done, 24, 24}));
  EXPECT_EQ(field(" A"), (Toks{{Token::Done, 21, 20}}));
  // A comma in column 79 with a blank in column 80: the scan steps past the text.
  EXPECT_EQ(field(std::string(58, 'A') + ", ").at(2), (Tok{Token::Done, 81, 81}));
}

TEST_F(LexerTest, CharacterLiteralsRunToTheLastAt) {
  EXPECT_EQ(field("@ABC@DEF"), (Toks{{Token::Chars, 21, 25}, {Token::Name, 26, 28}, {Token::Done, 29, 29}}));
  EXPECT_EQ(field("@AB@C@").front(), (Tok{Token::Chars, 21, 26}));
  EXPECT_EQ(field("@AB C").front(), (Tok{Token::At, 21, 21}));
  EXPECT_EQ(field("@A,B" + std::string(55, ' ') + "@").front(), (Tok{Token::Chars, 21, 80}));
  EXPECT_EQ(ctx.diag.errors_in_job(), 0);
  EXPECT_EQ(field("@@,A").front(), (Tok{Token::Other, 21, 22}));
  EXPECT_EQ(ctx.diag.errors_in_job(), 1);
  EXPECT_NE(out.str().find("Zero-length character literal"), std::string::npos);
}

TEST_F(LexerTest, SingleCharacterKinds) {
  std::vector<Token> kinds;
  for (const Tok& t : field("&5-*#,+%U1%1Ua")) kinds.push_back(t.kind);
  EXPECT_EQ(kinds, (std::vector<Token>{Token::Plus, Token::Number, Token::Minus, Token::Star, Token::Hash,
                                       Token::Comma, Token::Other, Token::Device, Token::Other, Token::Number,
                                       Token::Name, Token::Other, Token::Done}));
}

TEST_F(LexerTest, NamesAndNumbersRunToColumn80) {
  EXPECT_EQ(field(std::string(60, '9')).front(), (Tok{Token::Number, 21, 80}));
  EXPECT_EQ(field("A" + std::string(59, 'B')).front(), (Tok{Token::Name, 21, 80}));
  EXPECT_EQ(field("A12B3C,7X").at(2), (Tok{Token::Number, 28, 28}));
}

TEST_F(LexerTest, TraceLine) {
  ctx.traces.letters = "l";
  field("AB, ");
  EXPECT_EQ(out.str(), "Lexer: token = AB = NAME  \nLexer: token = , = COMMA \nLexer: token =   = DONE  \n");
}

}  // namespace
}  // namespace velumar
