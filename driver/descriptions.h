// The descriptions of a run that options ask for beside the listing and
// decks: the symbol map, the HTML listing, the cross-reference and the
// machine-readable diagnostics.
#pragma once

#include <functional>
#include <ostream>

#include "driver/options.h"
#include "driver/program_info.h"
#include "output/listing.h"

namespace velumar {

/// True when the options ask for any description of the program.
bool wants_description(const Options& opts);

/// The writer of the cross-reference and storage summary after a job's
/// symbol table, on pages of `max_lines` lines.
std::function<void(const JobInfo&, ListingWriter&)> xref_writer(int max_lines);

/// Writes what the options ask for after the last job: the map to `map`,
/// the HTML listing to `html` (each when not null), the diagnostics in
/// JSON or SARIF to `diagnostics`.
void write_descriptions(const Options& opts, const ProgramCollector& collector, std::ostream* map,
                        std::ostream* html, std::ostream& diagnostics);

}  // namespace velumar
