// Literal pools: the literals collected since the previous pool, laid out
// one after another at the location counter.
#pragma once

#include <optional>

#include "core/reporting.h"
#include "frontend/lexer.h"
#include "ir/intermediate.h"
#include "tables/literals.h"
#include "tables/symtab.h"

namespace velumar {

/// What placing a pool works on: the tables it reads and fills and where it
/// reports (duplicate area labels, the P trace).
struct PoolTables {
  LiteralTable& literals;
  SymbolTable& symtab;
  const Reporting& rep;
  /// Finds the name of an address constant in its text (and traces it
  /// with the l trace); without it the stored name is looked up directly.
  Lexer* lexer = nullptr;
};

/// Places literals from the first one no pool has placed through `up_to`
/// (default: the last one) at `p`, and returns where the pool ends.
/// With `emit` (pass 1) area labels are defined, duplicates reported as
/// errors of the literal's record (the statement that causes the pool keeps
/// its own code and flag) and one DCW record per literal written to `emit`;
/// without it (pass 2) only the addresses are set.
[[nodiscard]] int process_ltorg(const PoolTables& tables, int p, IntermediateFile* emit,
                                std::optional<int> up_to = std::nullopt);

/// Storage a literal takes in its pool: 3 for an address constant.
int literal_width(const Literal& lit);

/// What placing literals last_pool_start..up_to at p does to p and to
/// last_pool_start, without placing anything: returns where the pool ends.
int pool_end(const LiteralTable& lits, int p, int& last_pool_start, int up_to);

}  // namespace velumar
