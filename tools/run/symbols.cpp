#include "tools/run/symbols.h"

#include <algorithm>
#include <fstream>

#include <nlohmann/json.hpp>

namespace velumar::run {

namespace {

using Json = nlohmann::json;

// How far past a label's field an address may lie and still be named after it.
constexpr int kNearLabel = 50;

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

int int_or(const Json& j, const char* key, int fallback) {
  auto it = j.find(key);
  return it != j.end() && it->is_number_integer() ? it->get<int>() : fallback;
}

std::string string_or(const Json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool in_instruction_range(const Json& job, int address) {
  for (const Json& r : job.value("ranges", Json::array()))
    if (string_or(r, "kind") == "instructions" && int_or(r, "first", 1) <= address && address <= int_or(r, "last", 0))
      return true;
  return false;
}

}  // namespace

std::string Statement::label() const { return trimmed(text.substr(0, std::min<std::size_t>(6, text.size()))); }

std::string Statement::operands() const {
  if (text.size() <= 15) return "";
  // The operands end at the first blank outside a character literal.
  std::string out;
  bool literal = false;
  for (char c : text.substr(15)) {
    if (c == '@') literal = !literal;
    if (c == ' ' && !literal) break;
    out += c;
  }
  return out;
}

bool SymbolMap::load(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open the symbol map '" + path + "'";
    return false;
  }
  Json doc = Json::parse(in, nullptr, false);
  if (doc.is_discarded() || !doc.is_object() || string_or(doc, "format") != "velumar-map") {
    error = "'" + path + "' is not a velumar symbol map";
    return false;
  }
  for (const Json& job : doc.value("jobs", Json::array())) {
    const bool first_job = end_line_ == 0;
    if (first_job && job.contains("start") && job["start"].is_number_integer()) start_ = job["start"].get<int>();
    for (const Json& s : job.value("statements", Json::array())) {
      if (first_job && end_line_ == 0 && string_or(s, "op") == "END") end_line_ = s.value("line", 0LL);
      const int first = int_or(s, "first", -1), last = int_or(s, "last", -1);
      if (first < 0 || last < first) continue;
      Statement st{s.value("line", 0LL), first, last, string_or(s, "op"), string_or(s, "text"), false};
      st.instruction = in_instruction_range(job, first);
      by_first_.emplace(first, statements_.size());
      statements_.push_back(std::move(st));
    }
    for (const Json& s : job.value("symbols", Json::array())) {
      if (!s.contains("value") || !s["value"].is_number_integer()) continue;
      symbols_.push_back({string_or(s, "name"), s["value"].get<int>(), int_or(s, "width", 0), int_or(s, "index", 0),
                          string_or(s, "kind")});
    }
  }
  std::stable_sort(symbols_.begin(), symbols_.end(), [](const Symbol& a, const Symbol& b) { return a.name < b.name; });
  return true;
}

const Statement* SymbolMap::statement_at(int address) const {
  auto it = by_first_.upper_bound(address);
  if (it == by_first_.begin()) return nullptr;
  const Statement& s = statements_[std::prev(it)->second];
  return address <= s.last ? &s : nullptr;
}

const Statement* SymbolMap::instruction_at(int address) const {
  auto it = by_first_.find(address);
  if (it == by_first_.end()) return nullptr;
  const Statement& s = statements_[it->second];
  return s.instruction ? &s : nullptr;
}

const Symbol* SymbolMap::symbol(const std::string& name) const {
  auto it = std::lower_bound(symbols_.begin(), symbols_.end(), name,
                             [](const Symbol& s, const std::string& n) { return s.name < n; });
  return it != symbols_.end() && it->name == name ? &*it : nullptr;
}

// A field's label names the positions it covers (a constant or area is
// addressed by its rightmost position, an instruction by its leftmost);
// otherwise the nearest label below the address, when it is near.
std::string SymbolMap::name_address(int address) const {
  const Symbol* best = nullptr;
  int best_distance = kNearLabel + 1;
  for (const Symbol& s : symbols_) {
    if (s.kind == "literal" || s.kind == "equ") continue;
    const bool rightmost = s.kind == "constant" || s.kind == "area";
    const int width = std::max(1, s.width);
    const int lo = rightmost ? s.value - width + 1 : s.value, hi = rightmost ? s.value : s.value + width - 1;
    int distance = lo <= address && address <= hi ? 0 : address > hi ? address - hi : kNearLabel + 1;
    if (distance < best_distance || (distance == best_distance && best && s.value > best->value)) {
      best = &s;
      best_distance = distance;
    }
  }
  if (best == nullptr) return "";
  const int offset = address - best->value;
  if (offset == 0) return best->name;
  return best->name + (offset > 0 ? "+" : "") + std::to_string(offset);
}

std::vector<const Symbol*> SymbolMap::fields() const {
  std::vector<const Symbol*> out;
  for (const Symbol& s : symbols_)
    if (s.kind == "constant" || s.kind == "area") out.push_back(&s);
  return out;
}

std::optional<std::pair<int, int>> SymbolMap::instruction_span() const {
  std::optional<std::pair<int, int>> span;
  for (const Statement& s : statements_) {
    if (!s.instruction) continue;
    if (!span) span = {s.first, s.last};
    span->first = std::min(span->first, s.first);
    span->second = std::max(span->second, s.last);
  }
  return span;
}

}  // namespace velumar::run
