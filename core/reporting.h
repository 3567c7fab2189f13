// What a module needs to report: the diagnostics sink, the trace switches
// and standard output (for traces). Modules hold it instead of the whole
// run, so that each takes only what it uses.
#pragma once

#include <ostream>

#include "core/diagnostics.h"
#include "core/settings.h"

namespace velumar {

struct Reporting {
  std::ostream& out;     ///< standard output: traces and dumps
  Diagnostics& diag;     ///< statement errors and warnings
  const Traces& traces;  ///< the -T letters
};

}  // namespace velumar
