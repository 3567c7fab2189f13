// Pass 2: defines the labels that pass 1 left undefined.
#pragma once

namespace velumar {

struct Context;

/// Sweeps the intermediate records until no sweep defines anything more;
/// reports "Undefined or unresolvable symbols" once when stuck.
/// Returns the number of sweeps made.
int pass_2(Context& ctx);

}  // namespace velumar
