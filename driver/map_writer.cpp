#include "driver/map_writer.h"

#include <string>

namespace velumar {

namespace {

using json = nlohmann::ordered_json;

json span_json(const SourceSpan& s) { return {{"line", s.line}, {"first_col", s.first_col}, {"last_col", s.last_col}}; }

json optional_json(const std::optional<int>& v) { return v ? json(*v) : json(nullptr); }

json symbol_json(const SymbolInfo& s) {
  json uses = json::array();
  for (const SymbolUse& u : s.uses) {
    json j = span_json(u.span);
    j["operand"] = u.operand;
    j["access"] = u.access == Access::Store ? "store" : "read";
    uses.push_back(std::move(j));
  }
  return {{"name", s.name},
          {"value", optional_json(s.value)},
          {"index", s.index_reg},
          {"kind", kind_name(s.kind)},
          {"width", s.width},
          {"defined", s.definition ? span_json(*s.definition) : json(nullptr)},
          {"uses", std::move(uses)}};
}

json statement_json(const StatementInfo& s) {
  json j = {{"line", s.span.line}, {"location", optional_json(s.location)}, {"width", s.width}, {"op", s.op}};
  if (s.first) {
    j["first"] = *s.first;
    j["last"] = *s.last;
    j["chars"] = s.chars;
    j["word_marks"] = s.word_marks;
  }
  if (s.seq) j["seq"] = *s.seq;
  if (!s.kind.empty()) j["kind"] = s.kind;
  if (s.flag != ' ') j["flag"] = std::string(1, s.flag);
  // The card from column 6 to 72: label, operation and operands.
  std::string text = s.text.size() > 5 ? s.text.substr(5, 67) : std::string();
  while (!text.empty() && text.back() == ' ') text.pop_back();
  j["text"] = std::move(text);
  return j;
}

json job_json(const JobInfo& job) {
  json ranges = json::array();
  for (const StorageRange& r : job.ranges) ranges.push_back({{"first", r.first}, {"last", r.last}, {"kind", r.kind}});
  json symbols = json::array();
  for (const SymbolInfo& s : job.symbols) symbols.push_back(symbol_json(s));
  json statements = json::array();
  for (const StatementInfo& s : job.statements)
    if (s.kind != "comment") statements.push_back(statement_json(s));
  return {{"name", job.name},
          {"assembled", job.assembled},
          {"start", optional_json(job.start)},
          {"core_size", job.core_size},
          {"ranges", std::move(ranges)},
          {"symbols", std::move(symbols)},
          {"statements", std::move(statements)}};
}

}  // namespace

json symbol_map(const ProgramInfo& program, std::string_view source) {
  json jobs = json::array();
  for (const JobInfo& job : program.jobs) jobs.push_back(job_json(job));
  return {{"format", "velumar-map"}, {"version", kMapVersion}, {"source", source}, {"jobs", std::move(jobs)}};
}

void write_symbol_map(std::ostream& out, const ProgramInfo& program, std::string_view source) {
  // Bytes that are not UTF-8 (a card may hold any) are replaced, not refused.
  out << symbol_map(program, source).dump(1, ' ', false, json::error_handler_t::replace) << '\n';
}

}  // namespace velumar
