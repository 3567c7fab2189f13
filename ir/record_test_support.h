// Test support: the records of a store as values, to compare with the
// records a test expects.
#pragma once

#include <vector>

#include "ir/intermediate.h"

namespace velumar {

inline std::vector<Record> all_records(const RecordStore& store) {
  std::vector<Record> out;
  for (std::size_t i = 0; i < store.size(); ++i) out.push_back(store.record(i));
  return out;
}

}  // namespace velumar
