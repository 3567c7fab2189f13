// The passes agree on where things go: over generated programs that
// assemble without a message, every symbol keeps the value pass 1 gave it
// through pass 2, and every labelled statement is listed by pass 3 at the
// value the symbol table holds for its label.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/deckgen.h"
#include "tests/simh_runner.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kDecks = 1000;
const fs::path kVelumar = VELUMAR_EXE;

using Symbols = std::map<std::string, std::string>;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// Label/value pairs of a symbol table as the dumps and the listing print it.
void read_entries(const std::string& line, Symbols& into) {
  static const std::regex entry(R"(([A-Z0-9]+) +(UNDEF|-?[0-9]+|%\S+)(\+X[0-3])?)");
  for (std::sregex_iterator it(line.begin(), line.end(), entry), end; it != end; ++it) into[(*it)[1]] = (*it)[2];
}

// The tables dumped with -s after `heading`, up to the literal table.
Symbols dumped(const std::vector<std::string>& console, const std::string& heading) {
  Symbols s;
  bool in = false;
  for (const std::string& l : console) {
    if (l.find(heading) != std::string::npos) in = true;
    else if (in && l.rfind("KIND", 0) == 0) break;
    else if (in) read_entries(l.substr(std::min<std::size_t>(l.size(), 6)), s);
  }
  return s;
}

struct Listed {
  Symbols table;                                             // the symbol table at the end
  std::vector<std::pair<std::string, std::string>> labels;  // label and LOCN of each statement line
};

Listed read_listing(const std::vector<std::string>& listing) {
  Listed out;
  std::size_t label_col = 0, locn_col = 0;
  bool table = false;
  static const std::regex statement(R"(^ +[0-9]+ )");
  for (const std::string& l : listing) {
    if (l.find(" SEQ PG LIN") != std::string::npos) {
      label_col = l.find("LABEL");
      locn_col = l.find("LOCN");
      continue;
    }
    if (l.find("SYMBOL  ADDRESS") != std::string::npos) table = true;
    if (table) {
      read_entries(l, out.table);
      continue;
    }
    if (locn_col == 0 || l.size() < locn_col + 4 || !std::regex_search(l, statement)) continue;
    std::string label = l.substr(label_col, 6);
    label.erase(label.find_last_not_of(' ') + 1);
    if (label.empty() || label[0] == '*' || (label[0] >= '0' && label[0] <= '9')) continue;
    std::string locn = l.substr(locn_col - 1, 5);
    locn.erase(0, locn.find_first_not_of(' '));
    if (!locn.empty() && locn != "-") out.labels.emplace_back(label, std::to_string(std::stol(locn)));
  }
  return out;
}

TEST(LayoutProperty, PassesAgreeOnEveryLabel) {
  deckgen::Profile profile;
  profile.random_options = false;
  profile.errors = false;
  profile.max_jobs = 1;
  int checked = 0;
  int failures = 0;
  for (int i = 0; i < kDecks; ++i) {
    const std::uint64_t seed = 1'000'000 + static_cast<std::uint64_t>(i);
    TempDir dir;
    std::ofstream(dir.path() / "deck.s", std::ios::binary) << deckgen::generate(seed, profile).source;
    const std::string command = shell_quote(kVelumar.string()) + " -s -l deck.lst deck.s > console.txt 2>/dev/null";
    if (run_command("cd " + shell_quote(dir.path().string()) + " && " + command) != 0) continue;  // messages say why
    ++checked;
    const std::vector<std::string> console = lines_of(read_file(dir.path() / "console.txt"));
    const Symbols pass1 = dumped(console, "After pass 1:");
    const Symbols pass2 = dumped(console, "After pass 2:");
    const Listed pass3 = read_listing(lines_of(read_file(dir.path() / "deck.lst")));
    std::ostringstream why;
    // Device designations (EQU %U1) are no locations.
    auto device = [&](const std::string& label) { return pass2.count(label) && pass2.at(label)[0] == '%'; };
    for (const auto& [label, value] : pass1)
      if (value != "UNDEF" && !device(label) && pass2.count(label) && pass2.at(label) != value)
        why << label << ": pass 1 " << value << ", pass 2 " << pass2.at(label) << "\n";
    for (const auto& [label, value] : pass2)
      if (!pass3.table.count(label) || pass3.table.at(label) != value)
        why << label << ": pass 2 " << value << ", listed table " << (pass3.table.count(label) ? pass3.table.at(label) : "-")
            << "\n";
    for (const auto& [label, locn] : pass3.labels)
      if (pass3.table.count(label) && pass3.table.at(label) != locn && !device(label))
        why << label << ": listed at " << locn << ", symbol table " << pass3.table.at(label) << "\n";
    if (!why.str().empty()) {
      ADD_FAILURE() << "deck of seed " << seed << " (deckgen::generate(" << seed
                    << ", no options, no errors, one job)), run as: " << command << "\n"
                    << why.str();
      if (++failures == 3) break;
    }
  }
  EXPECT_GE(checked, kDecks / 4) << "too few generated programs assembled without a message";
}

}  // namespace
}  // namespace velumar::e2e
