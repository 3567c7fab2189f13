// The symbol map agrees with the listing: every symbol of the map has the
// value the listing's symbol table prints, and every statement of the map
// that has a location is listed at it. Checked on the examples and on
// generated decks with errors and several jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "core/charset.h"
#include "tests/deckgen.h"
#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Print positions of the statement line: card columns 6-11, 16-20, 21-72, LOCN.
constexpr std::size_t kLabelAt = 14, kOpAt = 21, kOperandsAt = 27, kLocnAt = 85;

std::string rtrimmed(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// What a job's listing shows: (columns 6-72 of the card, LOCN) for every
// line with a location, and the symbol table.
struct ListedJob {
  std::multimap<std::string, std::string> lines;
  std::map<std::string, std::string> table;
};

std::vector<ListedJob> read_listing(const std::string& text) {
  std::vector<ListedJob> jobs;
  std::istringstream in(text);
  bool table = true;
  for (std::string l; std::getline(in, l);) {
    if (l.find(" SEQ PG LIN") != std::string::npos) {
      if (table) jobs.emplace_back();
      table = false;
      continue;
    }
    if (l.find("SYMBOL  ADDRESS") != std::string::npos) table = true;
    if (jobs.empty()) continue;
    if (table) {
      // Entries of 17 print positions: the name in 6, the value after it.
      for (std::size_t at = 1; at + 8 < l.size(); at += 17) {
        std::string value = l.substr(at + 6, 11);
        value.erase(0, value.find_first_not_of(' '));
        if (!value.empty() && l[at] != ' ') jobs.back().table[rtrimmed(l.substr(at, 6))] = rtrimmed(value);
      }
      continue;
    }
    if (l.size() < kLocnAt + 6 || l.compare(7, 7, "*******") == 0) continue;
    std::string locn = l.substr(kLocnAt, 6);
    locn.erase(0, locn.find_first_not_of(' '));
    if (locn.empty() || locn.find_first_not_of("-0123456789") != std::string::npos) continue;
    const std::string card = l.substr(kLabelAt, 6) + "    " + l.substr(kOpAt, 5) + l.substr(kOperandsAt, 52);
    jobs.back().lines.emplace(rtrimmed(card), std::to_string(std::stol(locn)));
  }
  return jobs;
}

// Differences between the map and the listing of one run, one a line.
std::string disagreements(const json& map, const std::vector<ListedJob>& listed) {
  std::ostringstream why;
  // A job the input ended in is not listed.
  std::vector<json> jobs;
  for (const json& job : map["jobs"])
    if (job["assembled"] == true) jobs.push_back(job);
  if (jobs.size() != listed.size()) why << "map has " << jobs.size() << " jobs, listing " << listed.size() << "\n";
  for (std::size_t j = 0; j < std::min(jobs.size(), listed.size()); ++j) {
    const json& job = jobs[j];
    ListedJob lines = listed[j];
    for (const json& s : job["statements"]) {
      // Beyond 6 print positions the listing shows asterisks.
      if (s["location"].is_null() || s["location"].get<int>() > 999999 || s["location"].get<int>() < -99999) continue;
      std::string text = s["text"].get<std::string>();
      // A byte that is no character is replaced in the map's UTF-8.
      if (text.find("\xEF\xBF\xBD") != std::string::npos) continue;
      // The listing shows "?" for each byte that is no character.
      mask_foreign(text.data(), text.size());
      if (text.size() > 6) text.replace(6, std::min<std::size_t>(4, text.size() - 6), std::string(std::min<std::size_t>(4, text.size() - 6), ' '));
      const auto range = lines.lines.equal_range(rtrimmed(text));
      auto hit = range.first;
      while (hit != range.second && hit->second != std::to_string(s["location"].get<int>())) ++hit;
      if (hit == range.second)
        why << "job " << j + 1 << " line " << s["line"] << " '" << text << "' at " << s["location"] << " not listed so\n";
      else
        lines.lines.erase(hit);
    }
    for (const json& sym : job["symbols"]) {
      if (sym["kind"] == "literal") continue;
      std::string name = sym["name"];
      if (name.find("\xEF\xBF\xBD") != std::string::npos) continue;
      mask_foreign(name.data(), name.size());
      if (!lines.table.count(name)) {
        why << "job " << j + 1 << " symbol " << name << " not in the listed table\n";
        continue;
      }
      const std::string listed_value = lines.table.at(name);
      if (listed_value[0] == '%' || listed_value[0] == '*') continue;  // a device; a value too wide to print
      const std::string value = sym["value"].is_null() ? "UNDEF" : std::to_string(sym["value"].get<int>());
      if (listed_value.substr(0, listed_value.find('+')) != value)
        why << "job " << j + 1 << " symbol " << name << ": map " << value << ", listing " << listed_value << "\n";
    }
  }
  return why.str();
}

// Assembles `source` with a listing and a map; the differences between them.
std::string check_deck(const std::string& source, int* statements = nullptr) {
  TempDir dir;
  const fs::path deck = dir.path() / "deck.s", listing = dir.path() / "deck.lst", map = dir.path() / "deck.map";
  std::ofstream(deck, std::ios::binary) << source;
  const Outcome with_map = assemble({"-l", listing.string(), "--map", map.string(), deck.string()});
  // The map changes nothing else.
  const std::string listed_with_map = read_file(listing);
  const Outcome plain = assemble({"-l", listing.string(), deck.string()});
  if (read_file(listing) != listed_with_map || plain.out != with_map.out || plain.err != with_map.err)
    return "the listing, standard output or standard error differ with --map\n";
  const json parsed = json::parse(read_file(map));
  if (parsed["format"] != "velumar-map" || parsed["version"] != 1) return "not a version 1 map\n";
  if (statements != nullptr)
    for (const json& job : parsed["jobs"]) *statements += static_cast<int>(job["statements"].size());
  return disagreements(parsed, read_listing(read_file(listing)));
}

TEST(MapListing, ExamplesAgree) {
  for (const auto& entry : fs::directory_iterator(fs::path(VELUMAR_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() != ".s") continue;
    int statements = 0;
    EXPECT_EQ(check_deck(read_file(entry.path()), &statements), "") << entry.path();
    EXPECT_GT(statements, 5) << entry.path();
  }
}

// Generated decks with errors of every kind and several jobs.
TEST(MapListing, GeneratedDecksAgree) {
  deckgen::Profile profile;
  profile.random_options = false;
  int failures = 0, statements = 0;
  for (int i = 0; i < 200; ++i) {
    const std::uint64_t seed = 3'000'000 + static_cast<std::uint64_t>(i);
    const std::string why = check_deck(deckgen::generate(seed, profile).source, &statements);
    if (!why.empty()) {
      ADD_FAILURE() << "deck of seed " << seed << " (deckgen::generate(" << seed << ", no options))\n" << why;
      if (++failures == 3) break;
    }
  }
  EXPECT_GT(statements, 2000);
}

}  // namespace
}  // namespace velumar::e2e
