// The passes agree on where things go: over generated programs that
// assemble without a message, every symbol keeps the value pass 1 gave it
// through pass 2, and every labelled statement is listed by pass 3 at the
// value the symbol table holds for its label. Over programs with errors,
// the three passes leave the location counter at the same place after
// every record, and a label listed elsewhere than its value has a message.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/deckgen.h"
#include "tests/support/harness.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kDecks = 1000;
const fs::path kVelumar = VELUMAR_EXE;

using Symbols = std::map<std::string, std::string>;

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

struct Label {
  std::string name, locn;
  bool message = false;  ///< a message line stands right before the statement, or the line is flagged
};

struct Listed {
  Symbols table;             // the symbol table at the end
  std::vector<Label> labels;  // label and LOCN of each statement line
  bool suffixed = false;      // an SFX statement: labels are listed without the suffix the table shows
};

bool is_blank_from(const std::string& l, std::size_t from) {
  return l.find_first_not_of(' ', from) == std::string::npos;
}

// One Listed per job: a job's statement lines, then its symbol table.
std::vector<Listed> read_jobs(const std::vector<std::string>& listing) {
  std::vector<Listed> jobs(1);
  std::size_t label_col = 0, locn_col = 0, suffix_col = 0, flag_col = 0;
  bool table = false, message = false, suffixed = false, area_flagged = false;
  for (const std::string& l : listing) {
    if (l.find(" SEQ PG LIN") != std::string::npos) {
      if (table) jobs.emplace_back();
      jobs.back().suffixed = suffixed;  // a suffix holds into the next job
      table = false;
      label_col = l.find("LABEL");
      locn_col = l.find("LOCN");
      suffix_col = l.find("SFX");
      flag_col = l.find("CARD") + 6;  // the flags stand after the card columns
      continue;
    }
    if (l.find("SYMBOL  ADDRESS") != std::string::npos) table = true;
    if (table) {
      read_entries(l, jobs.back().table);
      continue;
    }
    if (l.rfind("      *", 0) == 0) message = true;
    if (label_col > 0 && l.size() > label_col + 10 && l.compare(label_col + 7, 4, "SFX ") == 0)
      jobs.back().suffixed = suffixed = true;
    if (locn_col == 0 || l.size() < locn_col + 4 || !is_statement(l)) continue;
    // A message before the line or a flag on it says why; a field also
    // shares the message of its area.
    bool excused = std::exchange(message, false) || (l.size() > flag_col && !is_blank_from(l, flag_col));
    const bool field = l.find("FIELD", flag_col - 12) < flag_col || l.find("SBFLD", flag_col - 12) < flag_col;
    if (field)
      excused = excused || area_flagged;
    else
      area_flagged = excused;
    // A suffixed label (its suffix under SFX): the table holds the name with the suffix.
    if (l.find_first_not_of(' ', suffix_col) < suffix_col + 3) continue;
    std::string label = l.substr(label_col, 6);
    label.erase(label.find_last_not_of(' ') + 1);
    if (label.empty() || label[0] == '*' || (label[0] >= '0' && label[0] <= '9')) continue;
    if (l.compare(label_col + 7, 4, "EQU ") == 0) continue;  // an EQU places nothing
    std::string locn = l.substr(locn_col - 2, 6);
    locn.erase(0, locn.find_first_not_of(' '));
    const bool number = !locn.empty() && locn.find_first_not_of("-0123456789") == std::string::npos &&
                        locn.find_first_of("0123456789") != std::string::npos;
    // A location below 0 follows an undefined origin, which has its message.
    if (number && std::stol(locn) >= 0) jobs.back().labels.push_back({label, std::to_string(std::stol(locn)), excused});
  }
  return jobs;
}

Listed read_listing(const std::vector<std::string>& listing) { return read_jobs(listing).front(); }

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
    const std::string command = shell_quote(kVelumar.string()) + " -s -l deck.lst deck.s";
    const Outcome r = run_in(dir.path(), command);
    if (r.status != 0) continue;  // messages say why
    ++checked;
    const std::vector<std::string> console = lines_of(r.out);
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
    for (const Label& l : pass3.labels)
      if (pass3.table.count(l.name) && pass3.table.at(l.name) != l.locn && !device(l.name))
        why << l.name << ": listed at " << l.locn << ", symbol table " << pass3.table.at(l.name) << "\n";
    if (!why.str().empty()) {
      ADD_FAILURE() << "deck of seed " << seed << " (deckgen::generate(" << seed
                    << ", no options, no errors, one job)), run as: " << command << "\n"
                    << why.str();
      if (++failures == 3) break;
    }
  }
  EXPECT_GE(checked, kDecks / 4) << "too few generated programs assembled without a message";
}

// Decks with errors of every kind and several jobs, assembled in this
// process with a log of where each pass leaves the location counter.
TEST(LayoutProperty, PassesAgreeOnEveryLocationAlsoWithMessages) {
  deckgen::Profile profile;
  profile.random_options = false;
  std::size_t records = 0;
  int with_messages = 0, failures = 0;
  for (int i = 0; i < kDecks; ++i) {
    const std::uint64_t seed = 2'000'000 + static_cast<std::uint64_t>(i);
    TempDir dir;
    const fs::path source = dir.path() / "deck.s", listing = dir.path() / "deck.lst";
    std::ofstream(source, std::ios::binary) << deckgen::generate(seed, profile).source;
    const Outcome r = assemble({"-l", listing.string(), source.string()});
    if (r.status == 1) ++with_messages;
    records += r.compared;
    std::ostringstream why;
    if (!r.disagreement.empty()) why << r.disagreement << "\n";
    for (const Listed& job : read_jobs(lines_of(read_file(listing))))
      for (const Label& l : job.labels)
        if (!job.suffixed && !l.message && job.table.count(l.name) && job.table.at(l.name) != l.locn &&
            job.table.at(l.name)[0] != '%' && job.table.at(l.name) != "UNDEF")
          why << l.name << ": listed at " << l.locn << " without a message, symbol table " << job.table.at(l.name)
              << "\n";
    if (!why.str().empty()) {
      ADD_FAILURE() << "deck of seed " << seed << " (deckgen::generate(" << seed << ", no options))\n" << why.str();
      if (++failures == 3) break;
    }
  }
  std::cout << "decks " << kDecks << ", with messages " << with_messages << ", records compared " << records << "\n";
  EXPECT_GE(with_messages, kDecks / 4) << "too few generated programs have messages";
  EXPECT_GE(records, static_cast<std::size_t>(kDecks) * 10) << "the passes reported too few locations";
}

}  // namespace
}  // namespace velumar::e2e
