// The machine-readable diagnostics carry the same reports as the text on
// standard error: on every golden deck with errors, the GCC-style JSON and
// the SARIF log parse, and give the same severities, lines, columns,
// messages and notes in the same order as the text form.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// One report or note: "kind line:col message".
using Reports = std::vector<std::string>;

std::string report(const std::string& kind, long long line, long long col, const std::string& message) {
  return kind + " " + std::to_string(line) + ":" + std::to_string(col) + " " + message;
}

// Runs velumar on `deck` with the golden case's options and `extra`; what
// it wrote on standard error, or in the diagnostics file when `file`.
std::string run(const fs::path& deck, std::vector<std::string> extra, const fs::path* file = nullptr) {
  std::vector<std::string> args = words_in(fs::path(deck).replace_extension(".args"));
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(deck.string());
  const Outcome r = assemble(args);
  return file != nullptr ? read_file(*file) : r.err;
}

Reports from_text(const std::string& text, const std::string& file) {
  Reports r;
  const std::regex headline("^" + std::regex_replace(file, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                            R"((?::(\d+))?(?::(\d+))?: (error|warning|note): (.*)$)");
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    std::smatch m;
    if (!std::regex_match(l, m, headline)) continue;
    r.push_back(report(m[3], m[1].matched ? std::stoll(m[1]) : 0, m[2].matched ? std::stoll(m[2]) : 0, m[4]));
  }
  return r;
}

Reports from_json(const json& all) {
  Reports r;
  auto add = [&](const json& d) {
    long long line = 0, col = 0;
    if (!d["locations"].empty()) {
      const json& caret = d["locations"][0]["caret"];
      line = caret.value("line", 0LL);
      col = caret.value("column", 0LL);
    }
    r.push_back(report(d["kind"], line, col, d["message"]));
  };
  for (const json& d : all) {
    add(d);
    for (const json& c : d["children"]) {
      add(c);
      if (c["locations"].empty()) {  // a note without columns still names the line
        r.back() = report("note", d["locations"].empty() ? 0 : d["locations"][0]["caret"].value("line", 0LL), 0,
                          c["message"]);
      }
    }
  }
  return r;
}

Reports from_sarif(const json& log) {
  Reports r;
  EXPECT_EQ(log["version"], "2.1.0");
  for (const json& res : log["runs"][0]["results"]) {
    const json& phys = res["locations"][0]["physicalLocation"];
    const json region = phys.value("region", json::object());
    const long long line = region.value("startLine", 0LL);
    r.push_back(report(res["level"], line, region.value("startColumn", 0LL), res["message"]["text"]));
    for (const json& rel : res.value("relatedLocations", json::array())) {
      const json rr = rel["physicalLocation"].value("region", json::object());
      r.push_back(report("note", rr.value("startLine", line), rr.value("startColumn", 0LL), rel["message"]["text"]));
    }
  }
  return r;
}

TEST(DiagnosticsFormat, JsonAndSarifCarryTheTextReports) {
  int decks = 0;
  std::size_t reports = 0, identified = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(VELUMAR_SOURCE_DIR) / "tests" / "golden")) {
    const fs::path deck = entry.path();
    if (deck.extension() != ".s" || deck.filename().string().rfind("bad-", 0) != 0) continue;
    ++decks;
    const Reports text = from_text(run(deck, {}), deck.string());
    const json gcc_json = json::parse(run(deck, {"--diagnostics-format=json"}));
    const Reports gcc = from_json(gcc_json);
    TempDir dir;
    const fs::path file = dir.path() / "out.sarif";
    const json sarif_json =
        json::parse(run(deck, {"--diagnostics-format", "sarif", "--diagnostics-file", file.string()}, &file));
    const Reports sarif = from_sarif(sarif_json);
    // Both carry the same identifiers, and SARIF declares each as a rule.
    const json& results = sarif_json["runs"][0]["results"];
    std::set<std::string> rules;
    for (const json& r : sarif_json["runs"][0]["tool"]["driver"]["rules"]) rules.insert(r["id"]);
    for (std::size_t i = 0; i < std::min(results.size(), gcc_json.size()); ++i) {
      EXPECT_EQ(results[i].value("ruleId", ""), gcc_json[i].value("option", "")) << deck;
      if (results[i].contains("ruleId")) {
        ++identified;
        EXPECT_TRUE(rules.count(results[i]["ruleId"])) << deck;
      }
    }
    EXPECT_EQ(gcc, text) << deck;
    EXPECT_EQ(sarif, text) << deck;
    reports += text.size();
  }
  EXPECT_GT(decks, 10);
  EXPECT_GT(reports, 50u);
  EXPECT_GT(identified, reports / 2);
}

TEST(DiagnosticsFormat, CleanProgramGivesEmptyReports) {
  const fs::path deck = fs::path(VELUMAR_SOURCE_DIR) / "examples" / "hello.s";
  EXPECT_EQ(json::parse(run(deck, {"--diagnostics-format=json"})), json::array());
  EXPECT_TRUE(json::parse(run(deck, {"--diagnostics-format=sarif"}))["runs"][0]["results"].empty());
}

}  // namespace
}  // namespace velumar::e2e
