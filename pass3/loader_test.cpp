#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "core/text.h"
#include "pass3/pass3.h"

namespace velumar {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(std::ostringstream& s) {
  Lines v;
  std::istringstream in(s.str());
  for (std::string l; std::getline(in, l);) v.push_back(l);
  s.str("");
  return v;
}

const std::string BOOT_RECORD = " 87 80=U%U1B=.=L%U1020R=B001L=.020= BOOTSTRAP" + std::string(42, ' ');

// Columns 1-22 of each loader text, which tell them apart.
const std::string CS1_4 = ",008015,019026,030,034", CS2_4 = "L068112,102106,113/101", CS1_6 = ",008015,022026,030037,",
                  BOOT = ",008015,022029,036040,", CS_V = ",008015,022026,030040/", BOOT_V = ",008047/047046       /",
                  EX1 = ",015022)024056,029036,", EX2 = ",068072)063067/061039 ", RE_EX = ",008047/047046        ";

struct Loader : ::testing::Test {
  std::ostringstream out, obj, tape, list;
  Context ctx{out};
  std::optional<Pass3> p;
  Lines punch(char loader, int core = 16000, bool resume = false) {
    ctx.settings.BootLoader = loader;
    ctx.settings.CoreSize = core;
    ctx.object = &obj;
    p.emplace(ctx.job(), false, true, false);
    resume ? p->emit_resume() : p->emit_loader();
    return lines_of(obj);
  }
  Lines starts(char loader, int core = 16000, bool resume = false) {
    Lines v;
    for (const auto& c : punch(loader, core, resume)) v.push_back(c.substr(0, 22));
    return v;
  }
};

TEST_F(Loader, DefaultDeckWithCaptionsAndTapeRecords) {
  ctx.object = &obj;
  ctx.tape = &tape;
  ctx.listing = &list;
  Pass3 p(ctx.job(), true, true, true);
  p.Deck_Id = "JOB01";  // a JOB card first: its id is already on the loader cards
  p.emit_loader();
  const Lines cards = lines_of(obj);
  ASSERT_EQ(cards.size(), 3u);
  EXPECT_EQ(cards[1], "L068116,105106,110117B101/I9I#071029C029056B026/B001/0991,001/001117I0?0002JOB01");
  EXPECT_EQ(cards[2], pad(",008015,022029,036040,047054,061068,072/061039", 60) + ",00100110400003JOB01");
  const Lines listed = lines_of(list);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0], pad(" CLEAR STORAGE 1", 21) + pad(cards[0], 71) + fmt_int(1, 23));
  EXPECT_EQ(listed[2].substr(0, 21), pad(" BOOTSTRAP", 21));
  EXPECT_EQ(p.LINE_NO, 3);
  EXPECT_EQ(p.CARD_NO, 4);
  EXPECT_EQ(lines_of(tape), (Lines{" 90 80=,200=/000=H008=V0052001=L051115=L=/100099=L%U1001R=/007199 CLEAR STORAGE" +
                                       std::string(11, ' ') + "JOB0=}",
                                   BOOT_RECORD + "JOB0=}"}));
}

TEST_F(Loader, ChoiceOfLoaderAndCoreSize) {
  EXPECT_EQ(starts('I', 4000), (Lines{CS1_4, CS2_4, BOOT}));
  EXPECT_EQ(starts('I', 8000), (Lines{CS1_6, "L068116,105106,110117B", BOOT}));
  // The second card clears from the top of storage.
  for (auto [core, top] : {std::pair{4000, "I99"}, {8000, "I9Z"}, {1400, "T99"}, {16000, "I9I"}})
    EXPECT_EQ(punch('I', core).at(1).substr(26, 3), top) << core;
  EXPECT_EQ(starts('B'), Lines{BOOT_V});
  EXPECT_EQ(starts('V'), (Lines{CS_V, BOOT_V}));
  EXPECT_TRUE(starts('N').empty());
}

TEST_F(Loader, ResumeCardsAfterExecute) {
  EXPECT_EQ(starts('I', 16000, true), (Lines{EX1, EX2}));
  EXPECT_EQ(starts('B', 16000, true), (Lines{EX1, EX2}));
  EXPECT_EQ(starts('V', 16000, true), (Lines{EX1, BOOT_V}));
  EXPECT_TRUE(starts('N', 16000, true).empty());
  ctx.settings.Extra = extra::Extra_EX;
  const Lines quick = punch('I', 16000, true);
  ASSERT_EQ(quick.size(), 1u);
  EXPECT_EQ(quick[0], pad(RE_EX, 46) + ",054061,068072,00104010400001     ");
  EXPECT_FALSE(p->NeedEX);

  ctx.tape = &tape;  // the tape gets the bootstrap record again
  Pass3 q(ctx.job(), false, false, true);
  q.emit_resume();
  EXPECT_EQ(lines_of(tape), Lines{BOOT_RECORD + "    =}"});
}

}  // namespace
}  // namespace velumar
