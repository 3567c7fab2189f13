// The page heading that a JOB card gives: what reaches the listing from its
// columns 21-72 is printable, as the card's own line and its deck
// identification are, whatever stream the listing is written to.
#include <gtest/gtest.h>

#include "pass3/test_support.h"

namespace velumar {
namespace {

TEST(Pass3PageHeading, ForeignBytesShownAsQuestionMarks) {
  p3test::Job job;
  std::string job_card = p3test::card("", "JOB", "PAY\x1B[31mROLL\x07");
  job_card.replace(75, 5, "P\x1B" "Y01");
  job.add(p3test::record(job_card, 0));
  job.add(p3test::end_record());
  job.run();
  const auto list = job.listing();
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(p3test::at(list[0], 28, 42), "PAY?[31mROLL?  ");
  EXPECT_EQ(p3test::at(list[0], 87, 91), "P Y01");
}

}  // namespace
}  // namespace velumar
