#include "driver/descriptions.h"

#include <map>

#include "driver/diagnostics_writer.h"
#include "driver/html_writer.h"
#include "driver/map_writer.h"
#include "output/xref.h"

namespace velumar {

bool wants_description(const Options& opts) {
  return opts.xref || opts.map_name || opts.html_name || opts.diagnostics_format != DiagnosticsFormat::Text;
}

namespace {

// The cross-reference of a job names statements by their sequence numbers
// in the listing; a generated line (a literal pool) goes by the statement
// that made it, which has the same source line.
class SequenceNumbers {
 public:
  explicit SequenceNumbers(const JobInfo& job) {
    for (const StatementInfo& s : job.statements)
      if (s.seq) by_line_.emplace(s.span.line, *s.seq);
  }
  std::optional<int> of(long long line) const {
    const auto it = by_line_.find(line);
    return it == by_line_.end() ? std::nullopt : std::optional(it->second);
  }

 private:
  std::map<long long, int> by_line_;  // the first statement of each line
};

std::vector<XrefEntry> xref_entries(const JobInfo& job) {
  const SequenceNumbers seq(job);
  std::vector<XrefEntry> entries;
  for (const SymbolInfo& s : job.symbols) {
    XrefEntry e{s.name, s.value, s.index_reg, std::nullopt, {}};
    if (s.definition) e.defined = seq.of(s.definition->line);
    for (const SymbolUse& u : s.uses)
      if (auto n = seq.of(u.span.line)) e.uses.push_back({*n, u.access == Access::Store});
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace

std::function<void(const JobInfo&, ListingWriter&)> xref_writer(int max_lines) {
  return [max_lines](const JobInfo& job, ListingWriter& listing) {
    StorageSummary storage;
    storage.core_size = job.core_size;
    for (const StorageRange& r : job.ranges) storage.ranges.push_back({r.first, r.last, r.kind});
    write_xref(listing, max_lines, xref_entries(job), storage);
  };
}

void write_descriptions(const Options& opts, const ProgramCollector& collector, std::ostream* map,
                        std::ostream* html, std::ostream& diagnostics) {
  const std::string source = opts.input.value_or("<stdin>");
  if (map != nullptr) write_symbol_map(*map, collector.program(), source);
  if (html != nullptr) write_html(*html, collector.program(), source);
  // Standard error stays quiet with --no-diagnostics; a named file is written.
  if (!opts.report && !opts.diagnostics_name) return;
  if (opts.diagnostics_format == DiagnosticsFormat::Json)
    write_diagnostics_json(diagnostics, collector.all_diagnostics(), source);
  else if (opts.diagnostics_format == DiagnosticsFormat::Sarif)
    write_diagnostics_sarif(diagnostics, collector.all_diagnostics(), source);
}

}  // namespace velumar
