#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "core/text.h"
#include "core/zone.h"
#include "pass3/pass3.h"

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
  std::ostringstream out, tape;
  Context ctx{out};
  Record rec;
  Pass3 p{ctx.job(), false, false, true};
  void SetUp() override {
    ctx.tape = &tape;
    p.Deck_Id = "ABCDE";
    p.rec = &rec;
    rec.ops = {Operand{.ADDR = 333, .KIND = K_ACTUAL}};
  }
  std::string ident(std::string_view statement) {
    p.LINE = pad(std::string(15, ' ') + std::string(statement), 80);
    return std::string(rtrim(pad(statement, 20)));
  }
  Lines records() {
    Lines v;
    std::istringstream in(tape.str());
    for (std::string l; std::getline(in, l);) v.push_back(l);
    tape.str("");
    return v;
  }
};

TEST_F(Tape, DataRecords) {
  const std::string id = ident("DSA  FIELD");
  p.dc("123", 'W', 502, 0);  // keeps the word mark it arrives with
  p.dc("45", ' ', 1001, 0);  // loses it
  std::string forty(40, 'Q');
  p.dc(forty, 'W', 639, 0);  // pieces of 32 and 8
  const std::string blanks(15, ' ');
  EXPECT_EQ(records(), (Lines{rec61("=L037502=N000=B007=123" + blanks + id),
                              rec61("=L036" + num_to_addr(1001) + "=)" + num_to_addr(1000) + "=B007=45 " + blanks + id),
                              rec61("=L066631=N000=B007=" + forty.substr(8)),
                              rec61("=L042639=)632=B007=" + forty.substr(32) + std::string(10, ' ') + id)}));
}

TEST_F(Tape, PiecesStartingWithAGroupMarkArriveWithoutTheirMark) {
  const std::string id = ident("DCW  @\"AB@");
  p.dc("\"AB", 'W', 602, 0);
  const std::string field = "}" + std::string(13, 'X') + "Y\"Z";  // 14, then a normal piece
  p.dc(field, ' ', 816, 0);
  EXPECT_EQ(records(), (Lines{rec61("=,043=L045602=)043043=B007= \"AB       " + id),
                              rec61("=,043=L056813=)043800=B007= " + field.substr(0, 14)),
                              rec61("=L037816=)814=B007=Y\"Z" + std::string(15, ' ') + id)}));
}

TEST_F(Tape, SetWordMarkRecordsAndWhenTheyAreWritten) {
  p.sw(600);
  p.output_swms();
  p.sw(600);
  p.sw(621);
  p.output_swms();  // an even count ends right after the last address
  p.sw(600);
  p.sw(621);
  p.sw(642);
  p.output_swms();
  p.output_swms();  // nothing pending
  EXPECT_EQ(records(), (Lines{rec61("=,600=B007="), rec61("=,600621=B007="), rec61("=,600621=,642=B007=")}));

  std::string body;
  for (int k = 0; k < 15; ++k) {
    p.sw(1000 + k);
    if (k < 14) body += (k % 2 == 0 ? "=," : "") + num_to_addr(1000 + k);
  }
  EXPECT_EQ(records(), Lines{rec61(body + "=B007=")});  // the 15th sends the first 14
  const std::string id = ident("B    X");
  p.dc("B", 'W', 501, 0);  // pending marks go before a data record ...
  p.sw(701);
  p.transfer_ex();  // ... and before the EX/XFR record
  p.sw(702);
  p.transfer_end();  // ... and before END's
  EXPECT_EQ(records(), (Lines{rec61("=," + num_to_addr(1014) + "=B007="),
                              rec61("=L035501=N000=B007=B" + std::string(17, ' ') + id), rec61("=,701=B007="),
                              rec61("=N000000=B333="), rec61("=,702=B007="), rec61("=/333080=")}));
}

TEST_F(Tape, QueuedWordMarksReachTheTape) {
  ctx.settings.Extra = extra::Extra_SWQ;
  std::ostringstream obj;
  ctx.object = &obj;
  Pass3 q(ctx.job(), false, true, true);
  q.Deck_Id = "ABCD";
  q.rec = &rec;
  for (int a = 400; a <= 407; ++a) q.dc("B", 'W', a, 0);
  q.transfer_end();  // the data record cleared 407's mark, END's drain sets it again
  const Lines all = records();
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[all.size() - 3], rec61("=L035407=)407=B007=B"));
  EXPECT_EQ(all[all.size() - 2], rec61("=,407=B007="));
}

TEST_F(Tape, WordSeparatorCharacterIsLoadedAsDigitsThenZoned) {
  ident("DCW  @A=B@");  // shown with a blank for the separator
  p.Deck_Id = "AB=CD";
  p.dc("A=B", 'W', 502, 0);
  p.dc(std::string(9, '='), ' ', 611, 0);
  std::string fixes;
  for (int a = 603; a <= 609; ++a) fixes += "=Y073" + num_to_addr(a);
  Lines expected{rec61("=L037502=N000=B007=A:B" + std::string(15, ' ') + "DCW  @A B@"), rec61("=Y031501=B007=/"),
                 rec61("=L043611=)603=B007=:::::::::"), rec61(fixes + "=B007=/"), rec61("=Y038610=Y038611=B007=/")};
  for (auto& r : expected) r.replace(r.size() - 6, 4, "AB C");
  EXPECT_EQ(records(), expected);
}

}  // namespace
}  // namespace velumar
