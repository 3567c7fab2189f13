#include "driver/core_size.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"

namespace velumar {
namespace {

std::string card(std::string_view label, std::string_view op, std::string_view operands = "") {
  std::string c(20, ' ');
  c.replace(5, label.size(), label);
  c.replace(15, op.size(), op);
  return c + std::string(operands) + "\n";
}

// Standard error of a run of `source` with `options`, and its status.
std::pair<int, std::string> run(std::vector<std::string> args, const std::string& source) {
  args.insert(args.begin(), "velumar");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  std::istringstream in(source);
  std::ostringstream out, err;
  const int status = velumar_main(static_cast<int>(argv.size()), argv.data(), in, out, err, false);
  return {status, err.str()};
}

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
    const auto [status, err] = run(c.args, c.source);
    EXPECT_EQ(status, 0) << c.args[0];
    if (c.err.empty())
      EXPECT_EQ(err, "") << c.args[0];
    else
      EXPECT_TRUE(err.starts_with(c.err)) << err;
  }
}

}  // namespace
}  // namespace velumar
