// The assembler's diagnostics as LSP Diagnostics, and the code actions that
// apply their fix-it notes.
#include <set>
#include <string>
#include <type_traits>

#include "tools/lsp/card.h"
#include "tools/lsp/features.h"
#include "tools/lsp/fixit.h"

namespace velumar::lsp {

namespace {

constexpr std::string_view kSource = "velumar";

int severity_number(Severity s) {
  switch (s) {
    case Severity::Error: return 1;
    case Severity::Warning: return 2;
    case Severity::Note: return 3;
  }
  return 1;
}

json lsp_diagnostic(const Model& m, const Diagnostic& d) {
  json out = {{"range", to_json(d.line == 0 ? Range{} : m.doc.card_range(d.line, d.first_col, d.last_col, m.enc))},
              {"severity", severity_number(d.severity)},
              {"source", kSource},
              {"message", d.message}};
  if (json code = code_of(d); !code.is_null()) out["code"] = std::move(code);
  json related = json::array();
  for (const Note& note : d.notes) {
    const Range where = d.line == 0 ? Range{} : m.doc.card_range(d.line, note.first_col, note.last_col, m.enc);
    related.push_back({{"location", {{"uri", m.doc.uri()}, {"range", to_json(where)}}}, {"message", note.text}});
  }
  if (!related.empty()) out["relatedInformation"] = std::move(related);
  return out;
}

json edit_of(const Model& m, const Range& range, std::string text) {
  return {{"changes", {{m.doc.uri(), json::array({{{"range", to_json(range)}, {"newText", std::move(text)}}})}}}};
}

// The actions for one diagnostic: its fix-it notes, then the layout of its
// card when the card's fields are out of their columns.
void actions_for(const Model& m, const Diagnostic& d, bool offer_layout, json& out) {
  const json diag = lsp_diagnostic(m, d);
  bool fixed = false;
  for (const Note& note : d.notes) {
    const std::optional<std::string> fix = fix_of(note);
    if (!fix || note.first_col <= 0) continue;
    const Range range = m.doc.card_range(d.line, note.first_col, note.last_col, m.enc);
    out.push_back({{"title", note.text},
                   {"kind", "quickfix"},
                   {"diagnostics", json::array({diag})},
                   {"isPreferred", !fixed},
                   {"edit", edit_of(m, range, *fix)}});
    fixed = true;
  }
  if (!offer_layout) return;
  const int n = static_cast<int>(d.line - 1);
  const std::string_view line = m.doc.line(n);
  const std::string formatted = format_card(line);
  if (formatted == line) return;
  const Range whole = m.doc.card_range(d.line, 0, 0, m.enc);
  out.push_back({{"title", "Move the fields into columns 6, 16 and 21"},
                 {"kind", "quickfix"},
                 {"diagnostics", json::array({diag})},
                 {"isPreferred", !fixed},
                 {"edit", edit_of(m, whole, formatted)}});
}

}  // namespace

json diagnostics(const Model& m) {
  json out = json::array();
  for (const JobInfo& job : m.program.jobs)
    for (const Diagnostic& d : job.diagnostics) out.push_back(lsp_diagnostic(m, d));
  return out;
}

json code_actions(const Model& m, const Range& range) {
  json out = json::array();
  std::set<long long> laid_out;  // one layout action a card
  for (const JobInfo& job : m.program.jobs) {
    for (const Diagnostic& d : job.diagnostics) {
      if (d.line < 1 || d.line - 1 < range.start.line || d.line - 1 > range.end.line) continue;
      actions_for(m, d, laid_out.insert(d.line).second, out);
    }
  }
  return out;
}

}  // namespace velumar::lsp
