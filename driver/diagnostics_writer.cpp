#include "driver/diagnostics_writer.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "driver/options.h"

namespace velumar {

namespace {

using json = nlohmann::ordered_json;

// The stable identifier of a diagnostic; empty for an unclassified one.
std::string diagnostic_id(const Diagnostic& d) { return std::string(to_string(d.id)); }

// The columns a diagnostic or note points at, within the card.
std::pair<int, int> columns(int first, int last) {
  const int a = std::clamp(first, 1, 80);
  return {a, std::clamp(last, a, 80)};
}

std::string text(const json& j) { return j.dump(2, ' ', false, json::error_handler_t::replace) + "\n"; }

// ---- GCC's form: an array of diagnostics, notes as children ----

json gcc_location(std::string_view file, long long line, int first, int last) {
  const auto [a, b] = columns(first, last);
  json caret = {{"file", file}, {"line", line}, {"display-column", a}, {"byte-column", a}, {"column", a}};
  json finish = {{"file", file}, {"line", line}, {"display-column", b}, {"byte-column", b}, {"column", b}};
  return {{"caret", std::move(caret)}, {"finish", std::move(finish)}};
}

json gcc_diagnostic(const Diagnostic& d, std::string_view file) {
  json j = {{"kind", severity_word(d.severity)}, {"message", d.message}};
  if (const std::string id = diagnostic_id(d); !id.empty()) j["option"] = id;
  j["column-origin"] = 1;
  json locations = json::array();
  if (d.line > 0 && d.first_col > 0) locations.push_back(gcc_location(file, d.line, d.first_col, d.last_col));
  else if (d.line > 0) locations.push_back({{"caret", {{"file", file}, {"line", d.line}}}});
  j["locations"] = std::move(locations);
  json children = json::array();
  for (const Note& n : d.notes) {
    json c = {{"kind", "note"}, {"message", n.text}, {"locations", json::array()}};
    const long long line = n.line > 0 ? n.line : d.line;  // a note may concern another line
    if (line > 0 && n.first_col > 0) c["locations"].push_back(gcc_location(file, line, n.first_col, n.last_col));
    children.push_back(std::move(c));
  }
  j["children"] = std::move(children);
  j["escape-source"] = false;
  return j;
}

// ---- SARIF 2.1.0 ----

json sarif_location(std::string_view file, long long line, int first, int last) {
  json region = {{"startLine", line}};
  if (first > 0) {
    const auto [a, b] = columns(first, last);
    region["startColumn"] = a;
    region["endColumn"] = b + 1;  // SARIF's end column is the first one after
  }
  return {{"physicalLocation", {{"artifactLocation", {{"uri", file}, {"index", 0}}}, {"region", std::move(region)}}}};
}

json sarif_result(const Diagnostic& d, std::string_view file) {
  json j;
  if (const std::string id = diagnostic_id(d); !id.empty()) j["ruleId"] = id;
  j["level"] = severity_word(d.severity);
  j["message"] = {{"text", d.message}};
  json locations = json::array();
  if (d.line > 0) locations.push_back(sarif_location(file, d.line, d.first_col, d.last_col));
  else locations.push_back({{"physicalLocation", {{"artifactLocation", {{"uri", file}, {"index", 0}}}}}});
  j["locations"] = std::move(locations);
  if (!d.notes.empty()) {
    json related = json::array();
    int n = 0;
    for (const Note& note : d.notes) {
      const long long line = note.line > 0 ? note.line : d.line;  // a note may concern another line
      json r = line > 0 ? sarif_location(file, line, note.first_col, note.last_col)
                          : json{{"physicalLocation", {{"artifactLocation", {{"uri", file}, {"index", 0}}}}}};
      r["id"] = n++;
      r["message"] = {{"text", note.text}};
      related.push_back(std::move(r));
    }
    j["relatedLocations"] = std::move(related);
  }
  return j;
}

json sarif_rules(const std::vector<Diagnostic>& diagnostics) {
  std::map<std::string, Severity> seen;
  for (const Diagnostic& d : diagnostics)
    if (const std::string id = diagnostic_id(d); !id.empty()) seen.emplace(id, d.severity);
  json rules = json::array();
  for (const auto& [id, severity] : seen)
    rules.push_back({{"id", id}, {"defaultConfiguration", {{"level", severity_word(severity)}}}});
  return rules;
}

}  // namespace

void write_diagnostics_json(std::ostream& out, const std::vector<Diagnostic>& diagnostics, std::string_view source) {
  json all = json::array();
  for (const Diagnostic& d : diagnostics) all.push_back(gcc_diagnostic(d, source));
  out << text(all);
}

void write_diagnostics_sarif(std::ostream& out, const std::vector<Diagnostic>& diagnostics, std::string_view source) {
  json results = json::array();
  for (const Diagnostic& d : diagnostics) results.push_back(sarif_result(d, source));
  const std::string version(kVersion.substr(kVersion.rfind(' ') + 1));
  json driver = {{"name", "velumar"},
                 {"fullName", kVersion},
                 {"version", version},
                 {"rules", sarif_rules(diagnostics)}};
  json run = {{"tool", {{"driver", std::move(driver)}}},
              {"artifacts", json::array({{{"location", {{"uri", source}}}}})},
              {"columnKind", "unicodeCodePoints"},
              {"results", std::move(results)}};
  json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
              {"version", "2.1.0"},
              {"runs", json::array({std::move(run)})}};
  out << text(log);
}

}  // namespace velumar
