#include "frontend/reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <vector>

namespace velumar {
namespace {

std::string card(std::string text) {
  text.resize(80, ' ');
  return text;
}

std::vector<std::string> read_all(const std::string& text) {
  std::istringstream in(text);
  SourceReader reader(&in);
  std::vector<std::string> lines;
  for (std::string line; reader.read_line(line) == 0;) lines.push_back(line);
  return lines;
}

// Hands the text out one character per read, as a terminal or a pipe may:
// every line end then falls across a read.
struct TrickleBuf : std::streambuf {
  explicit TrickleBuf(std::string t) : text(std::move(t)) {}
  int_type underflow() override {
    if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (next == text.size()) return traits_type::eof();
    ch = text[next++];
    setg(&ch, &ch, &ch + 1);
    return traits_type::to_int_type(ch);
  }
  std::string text;
  std::size_t next = 0;
  char ch = 0;
};

TEST(Reader, LinesAreTheSameHoweverTheInputArrives) {
  for (const std::string& text :
       std::vector<std::string>{"A\r\nB\rC\r\nD", "A\rB\r\rC\r", "\n\nX\n", std::string(200, 'q') + "\r\nZ\r",
                                "A\rB\nC\rD\n", std::string(80, 'x') + "\r\n" + std::string(81, 'y') + "\r\n",
                                "ab\x01" "c\n\xff" "Z`{\n~ \n", "\xEF\xBB\xBF" "A\rB\n", "\xEF\xBB" "A|}\xAC\n"}) {
    TrickleBuf buf(text);
    std::istream in(&buf);
    SourceReader reader(&in);
    std::vector<std::string> lines;
    for (std::string line; reader.read_line(line) == 0;) lines.push_back(line);
    EXPECT_EQ(lines, read_all(text)) << text;
  }
}

TEST(Reader, PutBackBlankRunsKeepTheirLines) {
  std::istringstream in("NEXT\n");
  SourceReader reader(&in);
  reader.unread(card("AFTER"), 9);
  reader.unread_blanks(5, 3);
  reader.unread(card("FIRST"), 4);
  std::vector<std::pair<std::string, long long>> got;
  for (std::string line; reader.read_line(line) == 0;) got.emplace_back(line, reader.card_line());
  EXPECT_EQ(got, (std::vector<std::pair<std::string, long long>>{
                     {card("FIRST"), 4}, {card(""), 5}, {card(""), 6}, {card(""), 7}, {card("AFTER"), 9}, {card("NEXT"), 1}}));
}

TEST(Reader, PadsCutsAndFoldsLowerCaseOnly) {
  EXPECT_EQ(read_all("     abc  mcw  @abc@,x\xe9y\n\n" + std::string(100, 'q') + "\n"),
            (std::vector<std::string>{card("     ABC  MCW  @ABC@,X\xe9Y"), card(""), std::string(80, 'Q')}));
}

// The cards of `text` and the messages the reader reports, with their lines.
std::pair<std::vector<std::string>, std::vector<std::string>> read_reported(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> reports;
  SourceReader reader(&in, [&](Diagnostic d) { reports.push_back(std::to_string(d.line) + ": " + d.message); });
  std::vector<std::string> lines;
  for (std::string line; reader.read_line(line) == 0;) lines.push_back(line);
  return {lines, reports};
}

TEST(Reader, LineEndsByteOrderMarkAndCharacterForms) {
  const std::string lone = "a carriage return alone ends a line; what follows is read as the next card";
  const std::string bom = "1: a UTF-8 byte-order mark at the start of the input is skipped";
  struct Case {
    std::string text;
    std::vector<std::string> lines, reports;
  };
  const std::vector<Case> cases = {
      // In a file of LF line ends a CR alone ends the card too, reported once.
      {"A\r\nB\rC\r\n" + std::string(79, 'D') + "\r\nE\rF\n",
       {card("A"), card("B"), card("C"), card(std::string(79, 'D')), card("E"), card("F")},
       {"2: " + lone}},
      {"A\nB\r", {card("A"), card("B")}, {"2: " + lone}},
      {"A\rB\nC\r", {card("A"), card("B"), card("C")}, {"0: lines end in a carriage return alone; each is read as a line end"}},
      {"\xEF\xBB\xBF     START CS\n", {card("     START CS")}, {bom}},
      {"\xEF\xBB\xBF", {}, {bom}},
      // Only at the start of the input: elsewhere its bytes are no characters.
      {"A\n\xEF\xBB\xBF", {card("A"), card("\xEF\xBB\xBF")},
       {"2: byte 0xEF is not a 1401 character (the card holds 3 such bytes)"}},
      {"\xEF\xBB\n", {card("\xEF\xBB")}, {"1: byte 0xEF is not a 1401 character (the card holds 2 such bytes)"}},
      // Every accepted form reaches the passes as the table's form.
      {"@abc|}\xAC\xA4'\"()@\n", {card("@ABC'\"()'\"()@")}, {}},
  };
  for (const Case& c : cases) {
    const auto [lines, reports] = read_reported(c.text);
    EXPECT_EQ(lines, c.lines) << c.text;
    EXPECT_EQ(reports, c.reports) << c.text;
  }
}

TEST(Reader, PutBackCardsComeFirstInReverseOrder) {
  std::istringstream in("third\n");
  SourceReader reader(&in);
  reader.unread(card("SECOND"));
  reader.unread(card("FIRST"));
  std::string line;
  for (const char* want : {"FIRST", "SECOND", "THIRD"}) {
    ASSERT_EQ(reader.read_line(line), 0);
    EXPECT_EQ(line, card(want));
  }
  EXPECT_LT(reader.read_line(line), 0);
}

struct FailingBuf : std::streambuf {
  int_type underflow() override { throw std::runtime_error("device error"); }
};

TEST(Reader, ReadFailureIsPositiveAndNoInputIsEnd) {
  FailingBuf buf;
  std::istream in(&buf);
  std::string line;
  EXPECT_GT(SourceReader(&in).read_line(line), 0);
  EXPECT_LT(SourceReader().read_line(line), 0);
}

}  // namespace
}  // namespace velumar
