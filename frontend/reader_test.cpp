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

TEST(Reader, PadsCutsAndFoldsLowerCaseOnly) {
  EXPECT_EQ(read_all("     abc  mcw  @abc@,x\xe9y\n\n" + std::string(100, 'q') + "\n"),
            (std::vector<std::string>{card("     ABC  MCW  @ABC@,X\xe9Y"), card(""), std::string(80, 'Q')}));
}

TEST(Reader, CrLfEndsALineButOtherCrStays) {
  EXPECT_EQ(read_all("A\r\nB\rC\r\n" + std::string(79, 'D') + "\r\nE\r"),
            (std::vector<std::string>{card("A"), card("B\rC"), card(std::string(79, 'D')), card("E\r")}));
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
