// What pass 3 places in storage, seen on the listing and the tape: the
// read-area flag at the edges of 1-80, and word marks that wait in the
// deck's queue.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "output/storage_sink.h"
#include "pass3/test_support.h"

namespace velumar {
namespace {

using p3test::at;
using p3test::card;
using p3test::end_record;
using p3test::instr;
using p3test::Job;
using p3test::lines_of;

using p3test::record;

TEST(Pass3Storage, ReadAreaFlagCoversEveryPositionOfTheField) {
  struct Case {
    int origin;
    int width;
    bool flagged;
  };
  // A field from 0 reaches into 1-80; one at 0 alone or from 81 does not.
  for (const Case c : {Case{0, 5, true}, Case{0, 1, false}, Case{80, 1, true}, Case{81, 3, false}, Case{76, 5, true}}) {
    Job job;
    job.add(record(card("", "ORG", std::to_string(c.origin)), 0, {opnd(OperandKind::Actual, c.origin)}));
    const std::string text(static_cast<std::size_t>(c.width), 'Z');
    job.add(record(card("", "DCW", "@" + text + "@"), c.width, {opnd(OperandKind::CharLit, 0)}));
    job.add(end_record());
    job.run();
    EXPECT_EQ(at(job.line_of("", "DCW"), 118, 121), c.flagged ? "ADDR" : "    ") << c.origin << "+" << c.width;
  }
}

TEST(Pass3Storage, QueuedWordMarksReachTheTapeWhenTheDeckSetsThem) {
  Job job;
  job.ctx.settings.extras = extra::kQueueWordMarks;
  for (int i = 0; i < 8; ++i) job.add(instr("A"));  // 333-340: the eighth mark waits
  job.add(end_record());
  job.run(false, true, true);
  const std::vector<std::string> records = lines_of(job.tape.str());
  ASSERT_GE(records.size(), 3u);
  // The data record clears 340's mark; END's drain sets it again.
  EXPECT_EQ(records[records.size() - 3].substr(6, 20), "=L035340=)340=B007=A");
  EXPECT_EQ(records[records.size() - 2].substr(6, 11), "=,340=B007=");
}

TEST(Pass3Storage, QueuedMarkInTheReadAreaFlagsOnlyTheStatementThatPlacedIt) {
  Job job;
  job.ctx.settings.extras = extra::kQueueWordMarks;
  job.add(record(card("", "ORG", "10"), 0, {opnd(OperandKind::Actual, 10)}));
  for (int i = 0; i < 9; ++i) job.add(instr("NOP"));  // 10-18: the marks of 17 and 18 wait
  job.add(record(card("", "ORG", "500"), 0, {opnd(OperandKind::Actual, 500)}));
  job.add(instr("NOP"));
  job.add(end_record());  // punching the last card sets the waiting marks
  job.run();
  EXPECT_EQ(at(job.line_of("", "END"), 118, 121), "    ");
  EXPECT_EQ(job.ctx.diag.errors_in_job(), 9);
}

// The storage image, attached after the deck and the tape, holds what the
// deck loads, the word marks the deck queues included; the tape and the
// deck say the same whether or not it listens.
TEST(Pass3Storage, StorageImageHoldsWhatTheDeckLoads) {
  for (const bool queue : {false, true}) {
    auto program = [queue](Job& job) {
      job.ctx.settings.extras = queue ? extra::kQueueWordMarks : 0;
      for (int i = 0; i < 8; ++i) job.add(instr("A"));
      job.add(record(card("", "DCW", "@HELLO@"), 5, {opnd(OperandKind::CharLit, 0)}));
      job.add(record(card("", "DS", "3"), 3, {opnd(OperandKind::Actual, 3)}));
      job.add(end_record());
    };
    Job plain;
    program(plain);
    plain.run(false, true, true);
    Job with_image;
    program(with_image);
    StorageImage image;
    with_image.run(false, true, true, &image);
    EXPECT_EQ(with_image.cards(), plain.cards());
    EXPECT_EQ(with_image.tape.str(), plain.tape.str());

    const p3test::Core core = p3test::load_deck(plain.cards());
    std::set<int> marks;
    for (int at = 0; at < StorageImage::kSize; ++at) {
      if (image.marked(at)) marks.insert(at);
      const auto loaded = core.ch.find(at);
      EXPECT_EQ(image.at(at), loaded == core.ch.end() ? ' ' : loaded->second) << at;
    }
    EXPECT_EQ(marks, core.wm) << queue;
    ASSERT_TRUE(image.end_instruction().has_value());
    EXPECT_EQ(image.end_instruction()->substr(0, 1), "/");
  }
}

}  // namespace
}  // namespace velumar
