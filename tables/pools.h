// Literal pools: the literals collected since the previous pool, laid out
// one after another at the location counter.
#pragma once

#include <optional>

namespace velumar {

struct Context;

/// Places literals LAST_LTORG..UP_TO (default NUM_LITS) at P and advances
/// P past them. With EMIT (pass 1) area labels are defined, duplicates
/// reported and one DCW record per literal written to the intermediate
/// file; without it (pass 2) only the addresses and area labels are set.
void process_ltorg(Context& ctx, int& P, bool EMIT, std::optional<int> UP_TO = std::nullopt);

}  // namespace velumar
