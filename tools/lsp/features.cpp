// Hover, definition, references, document symbols and completion.
#include "tools/lsp/features.h"

#include <string>

#include "core/text.h"
#include "frontend/opcodes.h"
#include "tools/lsp/card.h"
#include "tools/lsp/op_docs.h"

namespace velumar::lsp {

namespace {

// LSP SymbolKind and CompletionItemKind numbers.
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolFunction = 12;
constexpr int kSymbolVariable = 13;
constexpr int kSymbolConstant = 14;
constexpr int kSymbolStruct = 23;
constexpr int kCompletionFunction = 3;
constexpr int kCompletionVariable = 6;
constexpr int kCompletionKeyword = 14;
constexpr int kCompletionConstant = 21;

int symbol_kind(SymbolKind kind) {
  switch (kind) {
    case SymbolKind::Instruction: return kSymbolFunction;
    case SymbolKind::Area: return kSymbolStruct;
    case SymbolKind::Equ: return kSymbolVariable;
    default: return kSymbolConstant;
  }
}

int completion_kind(SymbolKind kind) {
  switch (kind) {
    case SymbolKind::Instruction: return kCompletionFunction;
    case SymbolKind::Equ: return kCompletionVariable;
    default: return kCompletionConstant;
  }
}

json markdown(std::string text, const Range& range) {
  return {{"contents", {{"kind", "markdown"}, {"value", std::move(text)}}}, {"range", to_json(range)}};
}

std::string symbol_text(const SymbolInfo& s) {
  if (s.kind == SymbolKind::Literal) {
    std::string text = "**literal** `" + s.name + "`";
    if (s.value) text += "\n\nplaced at " + std::to_string(*s.value);
    if (s.definition) text += " by the literal pool on line " + std::to_string(s.definition->line);
    return text;
  }
  std::string text = "**" + s.name + "** (" + std::string(kind_name(s.kind)) + ")";
  if (!s.value) return text + "\n\nundefined";
  text += "\n\nvalue " + std::to_string(*s.value);
  if (s.index_reg != 0) text += ", index register " + std::to_string(s.index_reg);
  if (s.kind != SymbolKind::Equ) text += ", width " + std::to_string(s.width);
  if (s.definition) text += "\n\ndefined on line " + std::to_string(s.definition->line);
  return text;
}

// The operation of the card at `pos` when the position is in columns
// 16-20 of a card that is no comment.
std::optional<Op> op_at(const Model& m, CardPos pos) {
  if (pos.col < 16 || pos.col > 20) return std::nullopt;
  const std::string card = card_image(m.doc.line(static_cast<int>(pos.line - 1)));
  if (card[5] == '*' || card.compare(15, 5, "     ") == 0) return std::nullopt;
  return find_op(std::string_view(card).substr(15, 5));
}

json op_hover(const Model& m, CardPos pos, Op op) {
  const std::string card = card_image(m.doc.line(static_cast<int>(pos.line - 1)));
  std::string text;
  if (op == Op::Unknown) {
    text = "`" + std::string(rtrim(std::string_view(card).substr(15, 5))) + "`: not an operation the assembler knows";
  } else {
    text = "**" + std::string(op_name(op)) + "**";
    if (const std::string_view what = op_description(op); !what.empty()) text += ": " + std::string(what);
    text += "\n\n" + op_forms(op);
  }
  return markdown(std::move(text), span_range(m, {pos.line, 16, 20}));
}

json labels_of(const Model& m, const JobInfo& job) {
  json labels = json::array();
  for (const SymbolInfo& s : job.symbols) {
    if (!s.definition || s.kind == SymbolKind::Literal || s.kind == SymbolKind::Undefined) continue;
    const Range card = m.doc.card_range(s.definition->line, 0, 0, m.enc);
    labels.push_back({{"name", s.name},
                      {"detail", s.value ? std::to_string(*s.value) : std::string()},
                      {"kind", symbol_kind(s.kind)},
                      {"range", to_json(card)},
                      {"selectionRange", to_json(span_range(m, *s.definition))}});
  }
  return labels;
}

}  // namespace

json hover(const Model& m, const Position& p) {
  const CardPos pos = card_pos(m, p);
  if (const auto hit = symbol_at(m, pos)) return markdown(symbol_text(*hit->symbol), span_range(m, hit->span));
  if (const auto op = op_at(m, pos)) return op_hover(m, pos, *op);
  return nullptr;
}

json definition(const Model& m, const Position& p) {
  const auto hit = symbol_at(m, card_pos(m, p));
  if (!hit || !hit->symbol->definition) return nullptr;
  return location(m, *hit->symbol->definition);
}

json references(const Model& m, const Position& p, bool include_declaration) {
  json out = json::array();
  const auto hit = symbol_at(m, card_pos(m, p));
  if (!hit) return out;
  const SymbolInfo& s = *hit->symbol;
  if (include_declaration && s.definition && s.kind != SymbolKind::Literal) out.push_back(location(m, *s.definition));
  for (const SymbolUse& u : s.uses) out.push_back(location(m, u.span));
  return out;
}

json document_symbols(const Model& m) {
  if (m.program.jobs.size() == 1) return labels_of(m, m.program.jobs.front());
  json jobs = json::array();
  for (const JobInfo& job : m.program.jobs) {
    if (job.statements.empty()) continue;
    const Range first = m.doc.card_range(job.statements.front().span.line, 0, 0, m.enc);
    const Range last = m.doc.card_range(job.statements.back().span.line, 0, 0, m.enc);
    const std::string name = job.name.empty() ? "job " + std::to_string(jobs.size() + 1) : job.name;
    jobs.push_back({{"name", name},
                    {"kind", kSymbolNamespace},
                    {"range", to_json(Range{first.start, last.end})},
                    {"selectionRange", to_json(first)},
                    {"children", labels_of(m, job)}});
  }
  return jobs;
}

json completion(const Model& m, const Position& p) {
  const CardPos pos = card_pos(m, p);
  json items = json::array();
  const std::string card = card_image(m.doc.line(p.line));
  if (card[5] == '*') return {{"isIncomplete", false}, {"items", items}};
  if (pos.col >= 16 && pos.col <= 21) {
    for (std::size_t i = 0; i < kOpTable.size(); ++i) {
      const Op op = static_cast<Op>(i);
      if (op == Op::Direct || op == Op::Pseudo || op == Op::Unknown) continue;
      items.push_back({{"label", std::string(op_name(op))},
                       {"kind", kCompletionKeyword},
                       {"detail", op_forms(op)},
                       {"documentation", std::string(op_description(op))}});
    }
  } else if (pos.col > 21) {
    if (const JobInfo* job = job_at(m.program, pos.line)) {
      for (const SymbolInfo& s : job->symbols) {
        if (s.kind == SymbolKind::Literal || s.kind == SymbolKind::Undefined) continue;
        items.push_back({{"label", s.name},
                         {"kind", completion_kind(s.kind)},
                         {"detail", std::string(kind_name(s.kind)) + (s.value ? " " + std::to_string(*s.value) : "")}});
      }
    }
  }
  return {{"isIncomplete", false}, {"items", std::move(items)}};
}

}  // namespace velumar::lsp
