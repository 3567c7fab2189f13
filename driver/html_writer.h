// The HTML listing (--html FILE): one self-contained page, readable without
// a network or scripts, with every symbol linked to its definition, each
// definition linked to the list of its uses, errors and warnings at their
// lines, and a picture of storage.
#pragma once

#include <ostream>
#include <string_view>

#include "driver/program_info.h"

namespace velumar {

/// Writes the page for `program`, assembled from the file named `source`.
void write_html(std::ostream& out, const ProgramInfo& program, std::string_view source);

}  // namespace velumar
