// The HTML listing as a browser sees it: headless Chromium renders the page
// and dumps its DOM, in which every link must lead to an element of the
// page, every symbol use must link to its definition, errors must stand at
// their lines, and the storage picture must show the program's ranges and
// the fixed areas. Skipped when Chromium is not installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

std::string chromium() {
  for (const char* p : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
    if (fs::exists(p)) return p;
  return {};
}

// The page for `deck` as the browser's DOM; empty when it could not be made.
std::string rendered(const fs::path& deck, const TempDir& dir) {
  const fs::path page = dir.path() / "page.html", dom = dir.path() / "dom.html";
  assemble({"--html", page.string(), deck.string()});
  const std::string command = shell_quote(chromium()) +
                              " --headless --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run"
                              " --user-data-dir=" + shell_quote((dir.path() / "profile").string()) +
                              " --dump-dom file://" + shell_quote(page.string()) + " > " +
                              shell_quote(dom.string()) + " 2>/dev/null";
  if (run_command(command) != 0) return {};
  return read_file(dom);
}

std::vector<std::string> all(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1].str());
  return found;
}

TEST(HtmlListing, LinksAndStoragePictureInChromium) {
  if (chromium().empty()) GTEST_SKIP() << "chromium is not installed";
  TempDir dir;
  const std::string dom = rendered(fs::path(VELUMAR_SOURCE_DIR) / "examples" / "lookup.s", dir);
  ASSERT_FALSE(dom.empty()) << "chromium did not render the page";
  // Self-contained: no script, nothing fetched.
  EXPECT_EQ(dom.find("<script"), std::string::npos);
  EXPECT_EQ(all(dom, R"((?:src|href)=\"(https?:[^\"]*)\")").size(), 0u);

  const std::vector<std::string> ids = all(dom, R"(id=\"([^\"]+)\")");
  const std::set<std::string> targets(ids.begin(), ids.end());
  const std::vector<std::string> links = all(dom, R"(href=\"#([^\"]+)\")");
  EXPECT_GT(links.size(), 40u);
  for (const std::string& l : links) EXPECT_TRUE(targets.count(l)) << "link to missing #" << l;

  // LOOK is defined on line 10 and branched to from line 14: the use on
  // line 14 leads to line 10's row, whose label leads to LOOK's entry.
  const std::regex row14(R"(<tr id=\"(j1-st\d+)\"><td class=\"num\">14</td>.*?<a href=\"#(j1-st\d+)\">LOOK</a>)");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(dom, m, row14));
  const std::regex row10("<tr id=\"" + m[2].str() + R"(\"><td class=\"num\">10</td>.*?<a href=\"#(j1-sym\d+)\" class=\"def\">LOOK</a>)");
  std::smatch def;
  ASSERT_TRUE(std::regex_search(dom, def, row10));
  const std::regex entry("<tr id=\"" + def[1].str() + R"(\"><td>LOOK</td>.*?<td class=\"uses\"><a href=\"#)" + m[1].str());
  EXPECT_TRUE(std::regex_search(dom, entry));

  // The storage picture: 333-435 instructions (333-399 and 400-435 on two
  // rows), then constants and literals; the three fixed areas marked.
  EXPECT_NE(dom.find(R"(class="instructions" data-first="333" data-last="399")"), std::string::npos);
  EXPECT_NE(dom.find(R"(class="instructions" data-first="400" data-last="435")"), std::string::npos);
  EXPECT_NE(dom.find(R"(class="constants" data-first="436")"), std::string::npos);
  EXPECT_NE(dom.find(R"(class="literals")"), std::string::npos);
  EXPECT_EQ(all(dom, R"(<rect class=\"(fixed)\")").size(), 4u);  // 1-80, 101-180, 201-299 and 300-332
}

TEST(HtmlListing, ErrorsStandAtTheirLines) {
  if (chromium().empty()) GTEST_SKIP() << "chromium is not installed";
  TempDir dir;
  const std::string dom = rendered(fs::path(VELUMAR_SOURCE_DIR) / "tests" / "golden" / "bad-xref-jobs.s", dir);
  ASSERT_FALSE(dom.empty());
  // Line 10 names a symbol that is never defined: the row is marked and
  // the message follows it; both programs have their section and picture.
  EXPECT_TRUE(std::regex_search(
      dom, std::regex(R"(<tr id=\"j1-st\d+\" class=\"error\"><td class=\"num\">10</td>[^\n]*\n<tr class=\"message error\"><td colspan=\"6\">error: undefined symbol LATER)")));
  EXPECT_EQ(all(dom, R"(<svg (class)=\"storage\")").size(), 2u);
  EXPECT_NE(dom.find(R"(<tr id="j2-sym)"), std::string::npos);
}

}  // namespace
}  // namespace velumar::e2e
