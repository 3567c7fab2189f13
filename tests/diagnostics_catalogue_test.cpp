// The manual page's catalogue of diagnostics against the diagnostics table:
// one entry per identifier, in the table's order, with its severity, its
// texts as the assembler writes them, its listing word and note, a cause
// and a fix. A row added to the table without its entry fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/diagnostics.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kManual = fs::path(VELUMAR_SOURCE_DIR) / "docs" / "velumar.1";

constexpr DiagId kAll[] = {
#define VELUMAR_DIAG(id, name, severity, flag, historic, word, wording, hint) DiagId::id,
#include "core/diagnostics.def"
#undef VELUMAR_DIAG
};

struct Entry {
  std::string name;
  std::string severity;
  std::string text;  ///< the body as a reader sees it, fonts gone, on one line
};

// Troff as it reads: no font changes, "\-" a hyphen, "\e" a backslash,
// ".br" and line ends a blank.
std::string plain(std::string t) {
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\\' && i + 1 < t.size()) {
      const char c = t[++i];
      if (c == 'f' && i + 1 < t.size()) ++i;
      else if (c == '-') out += '-';
      else if (c == 'e') out += '\\';
      else if (c == '&') continue;
      else out += c;
      continue;
    }
    out += t[i] == '\n' ? ' ' : t[i];
  }
  for (std::size_t at; (at = out.find(".br ")) != std::string::npos;) out.erase(at, 4);
  return out;
}

std::vector<Entry> catalogue() {
  std::ifstream in(kManual);
  std::stringstream all;
  all << in.rdbuf();
  const std::string page = all.str();
  const std::size_t start = page.find(".SH CATALOGUE OF DIAGNOSTICS\n");
  if (start == std::string::npos) return {};
  const std::size_t end = page.find("\n.SH ", start + 1);
  const std::string section = page.substr(start, end - start) + "\n";
  std::vector<Entry> entries;
  for (std::size_t at = section.find(".TP\n"); at != std::string::npos;) {
    const std::size_t next = section.find(".TP\n", at + 4);
    const std::string body = section.substr(at + 4, (next == std::string::npos ? section.size() : next) - at - 4);
    const std::size_t eol = body.find('\n');
    const std::string tag = plain(body.substr(0, eol));  // .BR name " (severity)"
    Entry e;
    std::istringstream words(tag);
    std::string request;
    words >> request >> e.name;
    const std::size_t open = tag.find('('), close = tag.find(')');
    if (open != std::string::npos && close > open) e.severity = tag.substr(open + 1, close - open - 1);
    e.text = plain(body.substr(eol + 1));
    entries.push_back(e);
    at = next;
  }
  return entries;
}

// True when the pieces of TEMPLATE around each "{}" appear in TEXT in
// order after LABEL.
bool quotes(const std::string& text, const std::string& label, std::string_view tmpl) {
  std::size_t at = text.find(label);
  if (at == std::string::npos) return false;
  at += label.size();
  for (std::size_t from = 0; from <= tmpl.size();) {
    const std::size_t hole = tmpl.find("{}", from);
    const std::string piece(tmpl.substr(from, (hole == std::string_view::npos ? tmpl.size() : hole) - from));
    if (!piece.empty()) {
      at = text.find(piece, at);
      if (at == std::string::npos) return false;
      at += piece.size();
    }
    if (hole == std::string_view::npos) break;
    from = hole + 2;
  }
  return true;
}

TEST(DiagnosticsCatalogue, OneEntryPerRowInTableOrder) {
  const std::vector<Entry> entries = catalogue();
  std::vector<std::string> names, documented;
  for (const DiagId id : kAll)
    if (!diag_info(id).name.empty()) names.emplace_back(diag_info(id).name);
  for (const Entry& e : entries) documented.push_back(e.name);
  EXPECT_EQ(documented, names);
}

TEST(DiagnosticsCatalogue, EachEntryQuotesItsRow) {
  std::vector<Entry> entries = catalogue();
  for (const DiagId id : kAll) {
    const DiagInfo& row = diag_info(id);
    if (row.name.empty()) continue;
    const auto e = std::find_if(entries.begin(), entries.end(), [&](const Entry& x) { return x.name == row.name; });
    ASSERT_NE(e, entries.end()) << row.name;
    SCOPED_TRACE(std::string(row.name) + ": " + e->text);
    EXPECT_EQ(e->severity, severity_word(row.severity));
    if (!row.historic.empty()) {
      EXPECT_TRUE(quotes(e->text, "Text: ", row.historic));
    }
    if (!row.wording.empty()) {
      EXPECT_TRUE(quotes(e->text, "Report: ", row.wording));
    }
    if (!row.word.empty()) {
      EXPECT_TRUE(quotes(e->text, "Listing: ", row.word));
    }
    if (!row.hint.empty()) {
      EXPECT_TRUE(quotes(e->text, "Note: ", row.hint));
    }
    EXPECT_NE(e->text.find("Cause: "), std::string::npos);
    EXPECT_NE(e->text.find("Fix: "), std::string::npos);
  }
}

}  // namespace
}  // namespace velumar::e2e
