#include "tables/layout.h"

namespace velumar::layout {

int origin(const Operand& first, int p, std::optional<int> target) {
  std::int64_t from = p;
  if (first.kind == OperandKind::Actual) from = first.address();
  if (first.kind == OperandKind::Symbolic) from = target.value_or(kUndefinedOrg);
  if (first.round_x00) return round_up_to_hundred(from);
  return clamp_location(from + first.offset);
}

Placement place(const RecordView& rec, int counter, const SymbolTable& symbols) {
  Placement at;
  at.leftmost = counter;
  at.next = counter;
  if (is_comment(rec)) return at;
  if (is_pool_record(rec.kind)) {
    at.width = rec.width;
    at.next = advance(counter, rec.width);
    return at;
  }
  if (rec.kind == RecordKind::Statement) {
    switch (rec.op) {
      case Op::Org:
      case Op::Ltorg: {
        const Operand& first = rec.operand(1);
        std::optional<int> target;
        if (first.kind == OperandKind::Symbolic && symbols.valid(first.symbol()))
          target = symbols[first.symbol()].defined_value();
        at.forward = first.kind == OperandKind::Symbolic && !target;
        at.next = origin(first, counter, target);
        return at;
      }
      case Op::Equ:
      case Op::Ex:
      case Op::End: return at;
      default: break;
    }
  }
  if (rec.kind != RecordKind::Statement && rec.kind != RecordKind::Generated) return at;
  at.width = rec.width;
  if (rec.origin) {
    at.leftmost = *rec.origin;
  } else {
    at.next = advance(counter, rec.width);
  }
  return at;
}

void place_all(RecordStore& records, const SymbolTable& symbols) {
  int counter = kStartLocation;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Placement at = place(records[i], counter, symbols);
    records.place(i, at);
    counter = at.next;
  }
}

void LocationLog::begin_job() { jobs_.emplace_back(); }

void LocationLog::placed(int pass, std::size_t record, int location) {
  if (pass < 1 || pass > 3) return;
  if (jobs_.empty()) begin_job();
  Job& job = jobs_.back();
  if (job.size() < 3 * (record + 1)) job.resize(3 * (record + 1), kNone);
  job[3 * record + static_cast<std::size_t>(pass - 1)] = location;
}

void LocationLog::unknown_to_pass_1(std::size_t record) {
  placed(1, record, 0);
  jobs_.back()[3 * record] = kUnknown;
}

std::string LocationLog::disagreement() const {
  // Below 0 nothing is placed (an undefined origin has its message), so
  // there the passes need only agree that the counter is outside storage.
  const auto same = [](int a, int b) { return a == b || (a < 0 && b < 0); };
  const auto agree = [&](int p1, int p2, int p3) { return same(p2, p3) && (p1 == kUnknown || same(p1, p2)); };
  for (std::size_t j = 0; j < jobs_.size(); ++j) {
    const Job& job = jobs_[j];
    for (std::size_t r = 0; r + 2 < job.size(); r += 3) {
      const int p1 = job[r], p2 = job[r + 1], p3 = job[r + 2];
      if (p1 == kNone || p2 == kNone || p3 == kNone || agree(p1, p2, p3)) continue;
      return "job " + std::to_string(j + 1) + ", record " + std::to_string(r / 3) + ": the location counter is " +
             (p1 == kUnknown ? std::string("unknown") : std::to_string(p1)) + " after pass 1, " + std::to_string(p2) + " after pass 2, " + std::to_string(p3) +
             " after pass 3";
    }
  }
  return {};
}

std::size_t LocationLog::compared() const {
  std::size_t n = 0;
  for (const Job& job : jobs_)
    for (std::size_t r = 0; r + 2 < job.size(); r += 3)
      if (job[r] != kNone && job[r + 1] != kNone && job[r + 2] != kNone) ++n;
  return n;
}

}  // namespace velumar::layout
