#include "tools/lsp/model.h"

#include <algorithm>

namespace velumar::lsp {

namespace {

bool contains(const SourceSpan& s, CardPos p) {
  return s.line == p.line && p.col >= s.first_col && p.col <= std::max(s.last_col, s.first_col);
}

// The non-negative int of a JSON number; throws when it is none.
int count_from(const json& j) {
  const long long v = j.get<long long>();
  return static_cast<int>(std::clamp(v, 0LL, 1LL << 30));
}

}  // namespace

CardPos card_pos(const Model& m, const Position& p) {
  return {static_cast<long long>(p.line) + 1, m.doc.byte_of(p.line, p.character, m.enc) + 1};
}

const JobInfo* job_at(const ProgramInfo& program, long long line) {
  const JobInfo* found = nullptr;
  for (const JobInfo& job : program.jobs) {
    if (job.statements.empty()) continue;
    found = &job;
    if (line <= job.statements.back().span.line) break;
  }
  return found;
}

std::optional<SymbolHit> symbol_at(const Model& m, CardPos pos) {
  const JobInfo* job = job_at(m.program, pos.line);
  if (!job) return std::nullopt;
  for (const SymbolInfo& s : job->symbols) {
    if (s.definition && s.kind != SymbolKind::Literal && contains(*s.definition, pos))
      return SymbolHit{job, &s, *s.definition, true};
    for (const SymbolUse& u : s.uses)
      if (contains(u.span, pos)) return SymbolHit{job, &s, u.span, false};
  }
  return std::nullopt;
}

Range span_range(const Model& m, const SourceSpan& span) {
  return m.doc.card_range(span.line, span.first_col, span.last_col, m.enc);
}

json to_json(const Position& p) { return {{"line", p.line}, {"character", p.character}}; }

json to_json(const Range& r) { return {{"start", to_json(r.start)}, {"end", to_json(r.end)}}; }

json location(const Model& m, const SourceSpan& span) {
  return {{"uri", m.doc.uri()}, {"range", to_json(span_range(m, span))}};
}

Position position_from(const json& j) { return {count_from(j.at("line")), count_from(j.at("character"))}; }

Range range_from(const json& j) { return {position_from(j.at("start")), position_from(j.at("end"))}; }

}  // namespace velumar::lsp
