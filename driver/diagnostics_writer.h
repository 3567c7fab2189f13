// Diagnostics for tools (--diagnostics-format=json|sarif): the reports that
// standard error shows people, as a JSON array shaped like GCC's or as a
// SARIF 2.1.0 log that code-scanning tools show on the source.
#pragma once

#include <ostream>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"

namespace velumar {

/// Writes `diagnostics` of the file named `source` as GCC's JSON array.
void write_diagnostics_json(std::ostream& out, const std::vector<Diagnostic>& diagnostics, std::string_view source);

/// Writes `diagnostics` of the file named `source` as a SARIF 2.1.0 log.
void write_diagnostics_sarif(std::ostream& out, const std::vector<Diagnostic>& diagnostics, std::string_view source);

}  // namespace velumar
