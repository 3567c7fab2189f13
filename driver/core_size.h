// The core size of the IBM loader checked against what a job places.
#pragma once

#include "core/diagnostics.h"
#include "core/settings.h"
#include "ir/intermediate.h"

namespace velumar {

/// With the IBM loader and a core size below 16000, warns on standard
/// error at the first statement of the job's records (as pass 2 leaves
/// them) that places code or data beyond the core size, naming the limit.
/// Nothing else changes: the deck and the tape are written as before, for
/// the bootstrap, not the assembler, owns the limit.
void warn_beyond_core_size(const Settings& settings, const IntermediateFile& records, Diagnostics& diag);

}  // namespace velumar
