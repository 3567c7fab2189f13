#include "driver/html_writer.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "driver/map_writer.h"

namespace velumar {

namespace {

constexpr int kPositions = 16000;
constexpr int kRowPositions = 100;  // positions per row of the storage picture
constexpr int kCellWidth = 6;
constexpr int kCellHeight = 6;
constexpr int kPictureLeft = 40;  // room for the row addresses

constexpr std::string_view kStyle = R"(
body{font-family:sans-serif;margin:1em 2em;color:#222}
h1{font-size:1.4em}h2{font-size:1.2em;border-bottom:1px solid #999;margin-top:2em}
table.listing{border-collapse:collapse;font-family:monospace;font-size:13px}
table.listing td{padding:0 .6em;white-space:pre;vertical-align:top}table.listing th{text-align:left;padding:0 .6em}
table.listing tr.comment td{color:#777}
table.listing tr.error{background:#fdd}table.listing tr.warning{background:#ffd}
table.listing tr.message td{font-family:sans-serif;font-size:12px;padding-left:3em}
tr.message.error td{color:#a00}tr.message.warning td{color:#850}
td.num{text-align:right;color:#555}
a{color:#0645ad;text-decoration:none}a:hover{text-decoration:underline}
a.def{font-weight:bold}
:target{background:#cef}
table.symbols{border-collapse:collapse;font-size:13px}
table.symbols td,table.symbols th{padding:.1em .6em;text-align:left;vertical-align:top}
table.symbols td.uses a{margin-right:.5em}
.store{font-weight:bold;color:#a40}
svg text{font-family:monospace;font-size:9px}
rect.instructions{fill:#4c78a8}rect.constants{fill:#f58518}rect.literals{fill:#54a24b}rect.area{fill:#b279a2}
rect.beyond{fill:#ddd}rect.fixed{fill:none;stroke:#c00;stroke-width:1.5;stroke-dasharray:3 2}
span.key{display:inline-block;width:1em;height:.8em;margin:0 .3em 0 1em}
)";

std::string escape(std::string_view text) {
  std::string t;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': t += "&amp;"; break;
      case '<': t += "&lt;"; break;
      case '>': t += "&gt;"; break;
      case '"': t += "&quot;"; break;
      default: t += byte < 0x20 || byte >= 0x7F ? '?' : c;  // a card may hold any byte
    }
  }
  return t;
}

std::string id(std::size_t job, std::string_view what, std::size_t n) {
  return "j" + std::to_string(job + 1) + "-" + std::string(what) + std::to_string(n);
}

std::string num(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); }

// A piece of a card that becomes a link.
struct Link {
  int first_col, last_col;
  std::string href;
  bool definition;
};

// The anchors and links of one job's page section.
class JobPage {
 public:
  JobPage(std::ostream& out, const JobInfo& job, std::size_t number) : out_(out), job_(job), n_(number) {
    for (std::size_t i = 0; i < job.statements.size(); ++i) statement_of_line_.emplace(job.statements[i].span.line, i);
    for (std::size_t k = 0; k < job.symbols.size(); ++k) collect_links(k);
    for (const Diagnostic& d : job.diagnostics) messages_[d.line].push_back(&d);
  }

  void write() {
    out_ << "<h2 id=\"" << id(n_, "job", 0) << "\">Program " << n_ + 1;
    if (!job_.name.empty()) out_ << ": " << escape(job_.name);
    out_ << "</h2>\n";
    if (!job_.assembled) out_ << "<p class=\"error\">The input ended before END: not assembled.</p>\n";
    write_job_messages();
    write_listing();
    write_symbols();
    write_storage();
  }

 private:
  std::string line_href(long long line) const {
    const auto it = statement_of_line_.find(line);
    return it == statement_of_line_.end() ? std::string() : "#" + id(n_, "st", it->second);
  }

  void collect_links(std::size_t k) {
    const SymbolInfo& s = job_.symbols[k];
    const bool literal = s.kind == SymbolKind::Literal;
    // A use leads to the definition (to the symbol's entry when it has none);
    // the label of the definition leads to the entry with the list of uses.
    const std::string entry = "#" + id(n_, "sym", k);
    const std::string target = s.definition && !literal ? line_href(s.definition->line) : entry;
    for (const SymbolUse& u : s.uses)
      links_[u.span.line].push_back({u.span.first_col, u.span.last_col, target.empty() ? entry : target, false});
    if (s.definition && !literal)
      links_[s.definition->line].push_back({s.definition->first_col, s.definition->last_col, entry, true});
  }

  // The card with its names as links; only the card's own line (not a
  // generated one) carries them.
  std::string card_html(const StatementInfo& s) const {
    const auto it = links_.find(s.span.line);
    if (!s.kind.empty() || it == links_.end()) return escape(s.text);
    std::vector<Link> links = it->second;
    std::sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.first_col < b.first_col; });
    std::string t;
    int col = 1;
    for (const Link& l : links) {
      if (l.first_col < col || l.first_col < 1 || l.last_col > static_cast<int>(s.text.size())) continue;
      t += escape(s.text.substr(static_cast<std::size_t>(col - 1), static_cast<std::size_t>(l.first_col - col)));
      t += "<a href=\"" + l.href + "\"" + (l.definition ? " class=\"def\"" : "") + ">";
      t += escape(s.text.substr(static_cast<std::size_t>(l.first_col - 1), static_cast<std::size_t>(l.last_col - l.first_col + 1)));
      t += "</a>";
      col = l.last_col + 1;
    }
    if (col <= static_cast<int>(s.text.size())) t += escape(s.text.substr(static_cast<std::size_t>(col - 1)));
    return t;
  }

  static std::string_view severity(Severity s) {
    return s == Severity::Error ? "error" : s == Severity::Warning ? "warning" : "note";
  }

  void write_message(const Diagnostic& d) {
    out_ << "<tr class=\"message " << severity(d.severity) << "\"><td colspan=\"6\">" << severity(d.severity) << ": "
         << escape(d.message);
    for (const Note& note : d.notes) out_ << "<br>note: " << escape(note.text);
    out_ << "</td></tr>\n";
  }

  void write_job_messages() {
    const auto it = messages_.find(0);
    if (it == messages_.end()) return;
    out_ << "<table class=\"listing\">\n";
    for (const Diagnostic* d : it->second) write_message(*d);
    out_ << "</table>\n";
  }

  void write_listing() {
    out_ << "<table class=\"listing\">\n<tr><th>line</th><th>seq</th><th>locn</th><th>ct</th><th>assembled</th>"
            "<th>card</th></tr>\n";
    for (std::size_t i = 0; i < job_.statements.size(); ++i) {
      const StatementInfo& s = job_.statements[i];
      const auto msgs = messages_.find(s.span.line);
      const bool last_of_line = i + 1 == job_.statements.size() || job_.statements[i + 1].span.line != s.span.line;
      std::string cls = s.kind == "comment" ? "comment" : "";
      if (msgs != messages_.end()) {
        const bool error = std::any_of(msgs->second.begin(), msgs->second.end(),
                                       [](const Diagnostic* d) { return d->severity == Severity::Error; });
        cls += std::string(cls.empty() ? "" : " ") + (error ? "error" : "warning");
      }
      out_ << "<tr id=\"" << id(n_, "st", i) << "\"" << (cls.empty() ? "" : " class=\"" + cls + "\"") << ">"
           << "<td class=\"num\">" << s.span.line << "</td><td class=\"num\">" << num(s.seq)
           << "</td><td class=\"num\">" << num(s.location) << "</td><td class=\"num\">"
           << (s.width > 0 ? std::to_string(s.width) : "") << "</td><td>" << escape(s.chars.substr(0, 12))
           << (s.chars.size() > 12 ? "\u2026" : "") << "</td><td>" << card_html(s) << "</td></tr>\n";
      if (last_of_line && msgs != messages_.end())
        for (const Diagnostic* d : msgs->second) write_message(*d);
    }
    out_ << "</table>\n";
  }

  void write_symbols() {
    out_ << "<h3>Symbols</h3>\n<table class=\"symbols\">\n<tr><th>name</th><th>kind</th><th>value</th><th>index</th>"
            "<th>defined</th><th>uses (stores in bold)</th></tr>\n";
    for (std::size_t k = 0; k < job_.symbols.size(); ++k) {
      const SymbolInfo& s = job_.symbols[k];
      out_ << "<tr id=\"" << id(n_, "sym", k) << "\"><td>" << escape(s.name) << "</td><td>" << kind_name(s.kind)
           << "</td><td>" << (s.value ? std::to_string(*s.value) : "undefined") << "</td><td>"
           << (s.index_reg > 0 ? "X" + std::to_string(s.index_reg) : "") << "</td><td>";
      if (s.definition) out_ << "<a href=\"" << line_href(s.definition->line) << "\">line " << s.definition->line << "</a>";
      out_ << "</td><td class=\"uses\">";
      for (const SymbolUse& u : s.uses)
        out_ << "<a href=\"" << line_href(u.span.line) << "\"" << (u.access == Access::Store ? " class=\"store\"" : "")
             << ">" << u.span.line << "</a>";
      out_ << "</td></tr>\n";
    }
    out_ << "</table>\n";
  }

  void rect(int first, int last, std::string_view cls, const std::string& title) {
    // One rectangle per row the run crosses.
    for (int row_start = first - first % kRowPositions; row_start <= last; row_start += kRowPositions) {
      const int a = std::max(first, row_start), b = std::min(last, row_start + kRowPositions - 1);
      out_ << "<rect class=\"" << cls << "\" data-first=\"" << a << "\" data-last=\"" << b << "\" x=\""
           << kPictureLeft + (a % kRowPositions) * kCellWidth << "\" y=\"" << (a / kRowPositions) * kCellHeight
           << "\" width=\"" << (b - a + 1) * kCellWidth << "\" height=\"" << kCellHeight << "\"><title>"
           << escape(title) << "</title></rect>";
    }
    out_ << "\n";
  }

  void write_storage() {
    out_ << "<h3>Storage</h3>\n<p>Each row holds 100 positions.";
    for (const std::string_view k : {"instructions", "constants", "literals", "area"})
      out_ << "<span class=\"key\" style=\"background:" << (k == "instructions" ? "#4c78a8" : k == "constants" ? "#f58518" : k == "literals" ? "#54a24b" : "#b279a2") << "\"></span>" << k;
    out_ << "<span class=\"key\" style=\"border:1.5px dashed #c00\"></span>read, punch and print areas"
            "<span class=\"key\" style=\"background:#ddd\"></span>beyond the core size</p>\n";
    const int rows = kPositions / kRowPositions;
    out_ << "<svg class=\"storage\" xmlns=\"http://www.w3.org/2000/svg\" width=\""
         << kPictureLeft + kRowPositions * kCellWidth + 2 << "\" height=\"" << rows * kCellHeight + 2 << "\">\n"
         << "<rect x=\"" << kPictureLeft << "\" y=\"0\" width=\"" << kRowPositions * kCellWidth << "\" height=\""
         << rows * kCellHeight << "\" fill=\"#f4f4f4\"/>\n";
    for (int row = 0; row < rows; row += 10)
      out_ << "<text x=\"0\" y=\"" << row * kCellHeight + 8 << "\">" << row * kRowPositions << "</text>";
    out_ << "\n";
    const int core = std::clamp(job_.core_size, 0, kPositions);
    if (core < kPositions) rect(core, kPositions - 1, "beyond", "beyond the core size " + std::to_string(core));
    for (const StorageRange& r : job_.ranges) {
      const int a = std::max(r.first, 0), b = std::min(r.last, kPositions - 1);
      if (a <= b) rect(a, b, r.kind, r.kind + " " + std::to_string(r.first) + "-" + std::to_string(r.last));
    }
    constexpr std::array<std::pair<int, int>, 3> kFixed = {{{1, 80}, {101, 180}, {201, 332}}};
    constexpr std::array<std::string_view, 3> kFixedNames = {"read area", "punch area", "print area"};
    for (std::size_t f = 0; f < kFixed.size(); ++f)
      rect(kFixed[f].first, kFixed[f].second, "fixed",
           std::string(kFixedNames[f]) + " " + std::to_string(kFixed[f].first) + "-" + std::to_string(kFixed[f].second));
    out_ << "</svg>\n";
  }

  std::ostream& out_;
  const JobInfo& job_;
  std::size_t n_;
  std::map<long long, std::size_t> statement_of_line_;
  std::map<long long, std::vector<Link>> links_;
  std::map<long long, std::vector<const Diagnostic*>> messages_;
};

}  // namespace

void write_html(std::ostream& out, const ProgramInfo& program, std::string_view source) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" << escape(source)
      << " \u2014 velumar listing</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n<h1>"
      << escape(source) << "</h1>\n";
  if (program.jobs.empty()) out << "<p>No program.</p>\n";
  for (std::size_t j = 0; j < program.jobs.size(); ++j) JobPage(out, program.jobs[j], j).write();
  out << "</body>\n</html>\n";
}

}  // namespace velumar
