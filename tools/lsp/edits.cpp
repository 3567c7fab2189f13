// The features that change or colour the text: rename, formatting and
// semantic tokens.
#include <algorithm>
#include <map>
#include <string>

#include "tools/lsp/card.h"
#include "tools/lsp/features.h"

namespace velumar::lsp {

namespace {

constexpr int kMaxName = 6;

bool valid_name(std::string_view name) {
  if (name.empty() || !(name[0] >= 'A' && name[0] <= 'Z')) return false;
  return std::all_of(name.begin(), name.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

json whole_line_edit(const Document& doc, int n, std::string text, Encoding enc) {
  const int end = doc.character_of(n, static_cast<int>(doc.line(n).size()), enc);
  return {{"range", to_json(Range{{n, 0}, {n, end}})}, {"newText", std::move(text)}};
}

// `line` with the names at `spans` replaced by `name`, keeping the columns:
// a label fills columns 6-11, and the remarks after the operand field stay
// where they were unless the longer operands reach them.
std::string renamed_line(std::string_view line, std::vector<SourceSpan> spans, std::string_view name) {
  std::string text(line);
  const int field_end = operand_field_end(card_image(line));
  std::sort(spans.begin(), spans.end(), [](const auto& a, const auto& b) { return a.first_col > b.first_col; });
  int shift = 0;
  for (const SourceSpan& s : spans) {
    if (s.first_col < 1 || s.first_col > static_cast<int>(text.size())) continue;
    const int last = std::min<int>(std::max(s.last_col, s.first_col), static_cast<int>(text.size()));
    if (s.first_col <= 11) {  // the label field keeps its six columns, 6-11
      std::string field(name);
      field.resize(kMaxName, ' ');
      if (text.size() < 5) text.resize(5, ' ');
      text.replace(5, std::min<std::size_t>(kMaxName, text.size() - 5), field);
      continue;
    }
    text.replace(static_cast<std::size_t>(s.first_col - 1), static_cast<std::size_t>(last - s.first_col + 1), name);
    shift += static_cast<int>(name.size()) - (last - s.first_col + 1);
  }
  if (line.empty() || line.back() != ' ') text.erase(text.find_last_not_of(' ') + 1);
  if (shift == 0 || field_end >= static_cast<int>(line.size()) || field_end + shift < 0) return text;
  // The remarks: back to their column, with at least one blank before them.
  const std::size_t end = static_cast<std::size_t>(field_end + shift);
  const std::size_t remark = text.find_first_not_of(' ', end);
  if (remark == std::string::npos) return text.substr(0, std::min(end, text.size()));
  const long long old_remark = static_cast<long long>(remark) - shift;
  const std::size_t to = static_cast<std::size_t>(std::max(old_remark, static_cast<long long>(end) + 1));
  return text.substr(0, end) + std::string(to - end, ' ') + text.substr(remark);
}

// Token types of the legend, by FieldKind.
int token_type(FieldKind kind) {
  switch (kind) {
    case FieldKind::Comment: return 0;
    case FieldKind::Label: return 1;
    case FieldKind::Operation: return 2;
    case FieldKind::Name: return 1;
    case FieldKind::Number: return 3;
    case FieldKind::Literal: return 4;
    case FieldKind::Punct: return 5;
  }
  return 0;
}

}  // namespace

json prepare_rename(const Model& m, const Position& p) {
  const auto hit = symbol_at(m, card_pos(m, p));
  if (!hit || hit->symbol->kind == SymbolKind::Literal) return nullptr;
  return {{"range", to_json(span_range(m, hit->span))}, {"placeholder", hit->symbol->name}};
}

std::variant<json, std::string> rename(const Model& m, const Position& p, std::string_view new_name) {
  const auto hit = symbol_at(m, card_pos(m, p));
  if (!hit) return std::string("there is no label here to rename");
  const SymbolInfo& s = *hit->symbol;
  if (s.kind == SymbolKind::Literal) return std::string("a literal has no name to rename");
  const std::string name = upper(new_name);
  if (name.size() > kMaxName) return "'" + std::string(new_name) + "' is longer than six characters";
  if (!valid_name(name)) return "'" + std::string(new_name) + "' is no name: a letter, then letters and digits";
  if (name != s.name && find_symbol(*hit->job, name))
    return "'" + name + "' is already a label of this job";
  std::map<long long, std::vector<SourceSpan>> by_line;
  if (s.definition) by_line[s.definition->line].push_back(*s.definition);
  for (const SymbolUse& u : s.uses) by_line[u.span.line].push_back(u.span);
  json edits = json::array();
  for (const auto& [line, spans] : by_line) {
    const int n = static_cast<int>(line - 1);
    edits.push_back(whole_line_edit(m.doc, n, renamed_line(m.doc.line(n), spans, new_name), m.enc));
  }
  return json{{"changes", {{m.doc.uri(), std::move(edits)}}}};
}

json semantic_legend() {
  return {{"tokenTypes", {"comment", "variable", "keyword", "number", "string", "operator"}},
          {"tokenModifiers", {"declaration"}}};
}

json semantic_tokens(const Document& doc, Encoding enc) {
  std::vector<int> data;
  int prev_line = 0;
  int prev_char = 0;
  for (int n = 0; n < doc.line_count(); ++n) {
    for (const CardSpan& span : card_fields(doc.line(n))) {
      const int from = doc.character_of(n, span.first - 1, enc);
      const int to = doc.character_of(n, span.last, enc);
      if (to <= from) continue;
      data.insert(data.end(), {n - prev_line, n == prev_line ? from - prev_char : from, to - from,
                               token_type(span.kind), span.kind == FieldKind::Label ? 1 : 0});
      prev_line = n;
      prev_char = from;
    }
  }
  return {{"data", std::move(data)}};
}

json formatting(const Document& doc, Encoding enc) {
  json edits = json::array();
  for (int n = 0; n < doc.line_count(); ++n) {
    const std::string_view line = doc.line(n);
    std::string formatted = format_card(line);
    if (formatted != line) edits.push_back(whole_line_edit(doc, n, std::move(formatted), enc));
  }
  return edits;
}

}  // namespace velumar::lsp
