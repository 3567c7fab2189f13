#include "tools/lsp/transport.h"

#include <gtest/gtest.h>

#include "tools/lsp/document.h"

namespace velumar::lsp {
namespace {

// Frames come out whole however the bytes are cut; a bad header block is
// refused and the stream reads on from the next one.
TEST(FrameReader, SplitsAnyCutAndRecoversFromBadHeaders) {
  const std::string stream = frame("{\"a\":1}") + "Content-Length: x\r\n\r\n" + "Content-Type: y\r\n\r\n" +
                             "content-length: 2\r\nContent-Type: utf8\r\n\r\n[]" + frame("");
  for (std::size_t cut = 1; cut <= stream.size(); ++cut) {
    FrameReader reader;
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < stream.size(); i += cut) {
      reader.feed(std::string_view(stream).substr(i, cut));
      while (auto f = reader.next()) seen.push_back(f->ok ? f->body : "!" + f->error);
    }
    const std::vector<std::string> expected = {"{\"a\":1}", "!bad Content-Length header",
                                               "!missing Content-Length header", "[]", ""};
    ASSERT_EQ(seen, expected) << "cut " << cut;
    EXPECT_EQ(reader.pending(), 0u);
  }
}

TEST(FrameReader, DropsOversizedBodiesAndEndlessHeaders) {
  FrameReader reader;
  reader.feed("Content-Length: 99999999999\r\n\r\n");
  auto f = reader.next();
  ASSERT_TRUE(f && !f->ok);
  EXPECT_EQ(f->error, "message body too large");
  reader.feed(std::string(1000, 'x'));
  EXPECT_FALSE(reader.next());
  EXPECT_EQ(reader.pending(), 0u);

  FrameReader noise;
  noise.feed(std::string(9000, 'y'));
  f = noise.next();
  ASSERT_TRUE(f && !f->ok);
  noise.feed(frame("{}"));
  f = noise.next();
  ASSERT_TRUE(f && f->ok);
  EXPECT_EQ(f->body, "{}");
}

// Edits land at the right bytes whatever the encoding: é is one UTF-16
// unit and two bytes, 𝄞 two units and four bytes.
TEST(Document, EditsInUtf16AndUtf8) {
  struct Case {
    Encoding enc;
    Range range;
    std::string text;
    std::string expected;
  };
  const std::string start = "ab\xC3\xA9" "cd\r\nx\xF0\x9D\x84\x9Ey\nlast";
  const Case cases[] = {
      {Encoding::Utf16, {{0, 3}, {0, 4}}, "Z", "ab\xC3\xA9Zd\r\nx\xF0\x9D\x84\x9Ey\nlast"},
      {Encoding::Utf8, {{0, 4}, {0, 5}}, "Z", "ab\xC3\xA9Zd\r\nx\xF0\x9D\x84\x9Ey\nlast"},
      {Encoding::Utf16, {{1, 3}, {1, 4}}, "", "ab\xC3\xA9" "cd\r\nx\xF0\x9D\x84\x9E\nlast"},
      {Encoding::Utf16, {{0, 99}, {1, 0}}, "+", "ab\xC3\xA9" "cd+x\xF0\x9D\x84\x9Ey\nlast"},
      {Encoding::Utf16, {{2, 2}, {9, 0}}, "!", "ab\xC3\xA9" "cd\r\nx\xF0\x9D\x84\x9Ey\nla!"},
      {Encoding::Utf16, {{2, 0}, {0, 0}}, "", "last"},  // reversed range
  };
  for (const Case& c : cases) {
    Document doc("file:///a.s", 1, start);
    doc.edit(c.range, c.text, c.enc);
    EXPECT_EQ(doc.text(), c.expected);
  }
  Document doc("file:///a.s", 1, start);
  EXPECT_EQ(doc.line_count(), 3);
  EXPECT_EQ(doc.line(0), "ab\xC3\xA9" "cd");
  EXPECT_EQ(doc.character_of(1, 5, Encoding::Utf16), 3);
  EXPECT_EQ(doc.byte_of(1, 3, Encoding::Utf16), 5);
  // A column past the end of a line stays past it.
  const Range r = doc.card_range(3, 6, 8, Encoding::Utf16);
  EXPECT_EQ(r.start.line, 2);
  EXPECT_EQ(r.start.character, 5);
  EXPECT_EQ(r.end.character, 8);
}

}  // namespace
}  // namespace velumar::lsp
