#include "output/tape_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/zone.h"

namespace velumar {
namespace {

using Lines = std::vector<std::string>;

// A 61-position record from its text up to the last non-blank character
// (separators included): blanks to position 56, the deck id "ABCD", "=}".
std::string rec61(const std::string& body) {
  const auto positions = body.size() - static_cast<std::size_t>(std::count(body.begin(), body.end(), '='));
  const std::string text = body + std::string(56 - positions, ' ') + "ABCD=}";
  return fmt_int(static_cast<int>(text.size()), 3) + " 61" + text;
}

struct Tape : ::testing::Test {
  std::ostringstream out;
  TapeFile tape{&out};
  void SetUp() override { tape.set_deck_id("ABCDE"); }
  Lines records() {
    Lines v;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) v.push_back(l);
    out.str("");
    return v;
  }
};

TEST_F(Tape, DataRecords) {
  const std::string id = "DSA  FIELD";
  tape.field("123", true, 500, id);  // keeps the word mark it arrives with
  tape.field("45", false, 1000, id);  // a field without one clears the read area's
  const std::string forty(40, 'Q');
  tape.field(forty, true, 600, id);  // pieces of 32 and 8
  const std::string blanks(15, ' ');
  EXPECT_EQ(records(), (Lines{rec61("=L037502=N000=B007=123" + blanks + id),
                              rec61("=L036" + num_to_addr(1001) + "=)" + num_to_addr(1000) + "=B007=45 " + blanks + id),
                              rec61("=L066631=N000=B007=" + forty.substr(8)),
                              rec61("=L042639=)632=B007=" + forty.substr(32) + std::string(10, ' ') + id)}));
}

TEST_F(Tape, PiecesStartingWithAGroupMarkArriveWithoutTheirMark) {
  const std::string id = "DCW  @\"AB@";
  tape.field("\"AB", true, 600, id);
  const std::string field = "}" + std::string(13, 'X') + "Y\"Z";  // 14, then a normal piece
  tape.field(field, false, 800, id);
  EXPECT_EQ(records(), (Lines{rec61("=,043=L045602=)043043=B007= \"AB       " + id),
                              rec61("=,043=L056813=)043800=B007= " + field.substr(0, 14)),
                              rec61("=L037816=)814=B007=Y\"Z" + std::string(15, ' ') + id)}));
}

TEST_F(Tape, SetWordMarkRecordsAndWhenTheyAreWritten) {
  tape.set_word_mark(600);
  tape.flush_marks();
  tape.set_word_mark(600);
  tape.set_word_mark(621);
  tape.flush_marks();  // an even count ends right after the last address
  for (int a : {600, 621, 642}) tape.set_word_mark(a);
  tape.flush_marks();
  tape.flush_marks();  // nothing pending
  EXPECT_EQ(records(), (Lines{rec61("=,600=B007="), rec61("=,600621=B007="), rec61("=,600621=,642=B007=")}));

  std::string body;
  for (int k = 0; k < 15; ++k) {
    tape.set_word_mark(1000 + k);
    if (k < 14) body += (k % 2 == 0 ? "=," : "") + num_to_addr(1000 + k);
  }
  EXPECT_EQ(records(), Lines{rec61(body + "=B007=")});  // the 15th sends the first 14
  tape.field("B", true, 501, "B    X");  // pending marks go before a data record ...
  tape.set_word_mark(701);
  tape.transfer("B333");  // ... and before the EX/XFR record
  tape.set_word_mark(702);
  tape.end("/333080");  // ... and before END's
  EXPECT_EQ(records(), (Lines{rec61("=," + num_to_addr(1014) + "=B007="),
                              rec61("=L035501=N000=B007=B" + std::string(17, ' ') + "B    X"), rec61("=,701=B007="),
                              rec61("=N000000=B333="), rec61("=,702=B007="), rec61("=/333080=")}));
}

TEST_F(Tape, WordSeparatorCharacterIsLoadedAsDigitsThenZoned) {
  tape.set_deck_id("AB=CD");
  tape.field("A=B", true, 500, "DCW  @A=B@");  // shown with a blank for the separator
  tape.field(std::string(9, '='), false, 603, "");
  std::string fixes;
  for (int a = 603; a <= 609; ++a) fixes += "=Y073" + num_to_addr(a);
  Lines expected{rec61("=L037502=N000=B007=A:B" + std::string(15, ' ') + "DCW  @A B@"), rec61("=Y031501=B007=/"),
                 rec61("=L043611=)603=B007=:::::::::"), rec61(fixes + "=B007=/"), rec61("=Y038610=Y038611=B007=/")};
  for (auto& r : expected) r.replace(r.size() - 6, 4, "AB C");
  EXPECT_EQ(records(), expected);
}

}  // namespace
}  // namespace velumar
