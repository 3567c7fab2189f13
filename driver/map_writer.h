// The symbol map (--map FILE): one JSON document describing every job of a
// run, for debuggers and editors. The manual page documents each field.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "driver/program_info.h"

namespace velumar {

/// The version of the map's layout; a reader checks it.
constexpr int kMapVersion = 1;

/// The map of `program`, assembled from the file named `source`.
nlohmann::ordered_json symbol_map(const ProgramInfo& program, std::string_view source);

/// Writes the map to `out`, indented, with a final newline.
void write_symbol_map(std::ostream& out, const ProgramInfo& program, std::string_view source);

}  // namespace velumar
