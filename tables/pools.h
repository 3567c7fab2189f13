// Literal pools: the literals collected since the previous pool, laid out
// one after another at the location counter.
#pragma once

#include <optional>

#include "tables/literals.h"

namespace velumar {

struct Job;

/// Places literals LAST_LTORG..UP_TO (default NUM_LITS) at P and advances
/// P past them. With EMIT (pass 1) area labels are defined, duplicates
/// reported and one DCW record per literal written to the intermediate
/// file; without it (pass 2) only the addresses and area labels are set.
void process_ltorg(const Job& ctx, int& P, bool EMIT, std::optional<int> UP_TO = std::nullopt);

/// Storage a literal takes in its pool: 3 for an address constant.
int literal_width(const Literal& lit);

/// What placing literals LAST_LTORG..UP_TO at P does to P and LAST_LTORG,
/// without placing anything: returns where the pool ends.
int pool_end(const LiteralTable& lits, int P, int& LAST_LTORG, int UP_TO);

}  // namespace velumar
