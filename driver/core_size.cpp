#include "driver/core_size.h"

#include <string>

namespace velumar {

namespace {

constexpr int kFullCore = 16000;

// True for the records that put characters into storage from their
// location on (a diagnostic carries other numbers in those fields).
bool occupies_storage(RecordKind kind) {
  switch (kind) {
    case RecordKind::Statement:
    case RecordKind::Generated:
    case RecordKind::GroupMark:
    case RecordKind::RecordMark:
    case RecordKind::Literal:
    case RecordKind::Area:
    case RecordKind::AddressConstant: return true;
    default: return false;
  }
}

}  // namespace

void warn_beyond_core_size(const Settings& settings, const IntermediateFile& records, Diagnostics& diag) {
  if (settings.boot_loader != 'I' || settings.core_size >= kFullCore) return;
  const RecordStore& store = records.records();
  for (std::size_t i = 0; i < store.size(); ++i) {
    const RecordView rec = store[i];
    if (!occupies_storage(rec.kind) || rec.width <= 0) continue;
    // A record's location is its leftmost position.
    const long long last = static_cast<long long>(rec.location) + rec.width - 1;
    if (last < settings.core_size) continue;
    const std::string first = std::to_string(rec.location);
    const std::string end = std::to_string(last);
    const std::string limit = std::to_string(settings.core_size);
    Diagnostic d = diagnose(DiagId::BeyondCoreSize, {first, end, limit})
                       .on(records.line_of(i), std::string(rec.text))
                       .at(16, 20);
    diag.report(std::move(d));
    return;
  }
}

}  // namespace velumar
