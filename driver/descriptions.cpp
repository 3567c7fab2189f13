#include "driver/descriptions.h"

#include "driver/map_writer.h"

namespace velumar {

bool wants_description(const Options& opts) {
  return opts.xref || opts.map_name || opts.html_name || opts.diagnostics_format != DiagnosticsFormat::Text;
}

std::function<void(const JobInfo&, ListingWriter&)> xref_writer() {
  return [](const JobInfo&, ListingWriter&) {};
}

void write_descriptions(const Options& opts, const ProgramCollector& collector, std::ostream* map,
                        std::ostream* html, std::ostream& diagnostics) {
  const std::string source = opts.input.value_or("<stdin>");
  if (map != nullptr) write_symbol_map(*map, collector.program(), source);
  (void)html;
  (void)diagnostics;
}

}  // namespace velumar
