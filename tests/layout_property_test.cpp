// The passes agree on where things go: over generated programs that
// assemble without a message, every symbol keeps the value pass 1 gave it
// through pass 2, and every labelled statement is listed by pass 3 at the
// value the symbol table holds for its label.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
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
// (label, then its value: UNDEF, a number with an optional +Xn, or a device).
void read_entries(const std::string& line, Symbols& into) {
  std::istringstream words(line);
  std::vector<std::string> w;
  for (std::string x; words >> x;) w.push_back(x);
  auto value = [](const std::string& x) {
    const std::size_t digits = x.find_first_not_of("-0123456789");
    return x == "UNDEF" || x[0] == '%' || (digits != 0 && (digits == std::string::npos || x[digits] == '+'));
  };
  for (std::size_t i = 0; i + 1 < w.size();) {
    if (value(w[i + 1]) && w[i].find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") == std::string::npos) {
      into[w[i]] = w[i + 1].substr(0, w[i + 1].find('+'));
      i += 2;
    } else {
      ++i;
    }
  }
}

// A statement line of the listing: blanks, then its sequence number.
bool is_statement(const std::string& l) {
  const std::size_t first = l.find_first_not_of(' ');
  return first != std::string::npos && first > 0 && l[first] >= '0' && l[first] <= '9';
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
    if (locn_col == 0 || l.size() < locn_col + 4 || !is_statement(l)) continue;
    std::string label = l.substr(label_col, 6);
    label.erase(label.find_last_not_of(' ') + 1);
    if (label.empty() || label[0] == '*' || (label[0] >= '0' && label[0] <= '9')) continue;
    std::string locn = l.substr(locn_col - 1, 5);
    locn.erase(0, locn.find_first_not_of(' '));
    const bool number = !locn.empty() && locn.find_first_not_of("-0123456789") == std::string::npos &&
                        locn.find_first_of("0123456789") != std::string::npos;
    if (number) out.labels.emplace_back(label, std::to_string(std::stol(locn)));
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
    // Every generated program has a label: an empty table means the text was not read.
    if (pass2.empty() || pass3.table.empty()) why << "no symbol table or labelled line read\n";
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
