// Test support: the records of a store as values, to compare with the
// records a test expects.
#pragma once

#include <string_view>
#include <vector>

#include "ir/intermediate.h"

namespace velumar {

/// `r` with the sign of its DC or DCW constant read from column 21, as
/// pass 1 and the literal pools give it.
inline Record with_sign(Record r) {
  if ((r.op == Op::Dc || r.op == Op::Dcw) && !r.operands.empty()) r.operands[0].sign = sign_of(std::string_view(r.card)[20]);
  return r;
}

inline std::vector<Record> all_records(const RecordStore& store) {
  std::vector<Record> out;
  for (std::size_t i = 0; i < store.size(); ++i) out.push_back(store.record(i));
  return out;
}

}  // namespace velumar
