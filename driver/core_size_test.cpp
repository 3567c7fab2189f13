#include "driver/core_size.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace velumar {
namespace {

using e2e::assemble;
using e2e::card;

TEST(CoreSize, FirstStatementBeyondTheIbmLoadersCoreSizeIsNamed) {
  const std::string high = card("START", "CS", "332") + card("", "ORG", "3995") + card("X", "DCW", "@ABCDEFGH@") +
                           card("", "MCW", "X,211") + card("", "END", "START");
  const std::string low = card("START", "CS", "332") + card("", "ORG", "3990") + card("X", "DCW", "@ABCDEFGH@") +
                          card("", "END", "START");
  const std::string warning =
      "<stdin>:3:16: warning: code or data at 3995-4002 lies beyond the core size of 4000 chosen with -bI\n";
  struct Case {
    std::vector<std::string> args;
    const std::string& source;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"-bI4"}, high, warning},
      {{"-bI8"}, high, ""},
      {{"-bI"}, high, ""},
      {{"-bI4", "-bN"}, high, ""},  // only the IBM loader knows a core size
      {{"-bI4"}, low, ""},          // 3990-3997: inside
  };
  for (const Case& c : cases) {
    const auto r = assemble(c.args, c.source);
    EXPECT_EQ(r.status, 0) << c.args[0];
    if (c.err.empty())
      EXPECT_EQ(r.err, "") << c.args[0];
    else
      EXPECT_TRUE(r.err.starts_with(c.err)) << r.err;
  }
}

}  // namespace
}  // namespace velumar
