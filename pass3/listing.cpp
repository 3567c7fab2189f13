// The statement line that pass 3 hands to the listing writer: the card,
// its sequence number and tag, and what the statement placed.
#include <string>

#include "core/text.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

/// Records that show the sequence number; the literal-pool lines and the
/// DA record-mark lines do not.
bool shows_seq(RecordKind kind) {
  switch (kind) {
    case RecordKind::Statement:
    case RecordKind::Macro:
    case RecordKind::GroupMark:
    case RecordKind::Generated:
    case RecordKind::Field:
    case RecordKind::Subfield: return true;
    default: return false;
  }
}

}  // namespace

void Pass3::listing(const ListFields& fields, bool show_card) {
  if (ctx.statements != nullptr)
    ctx.statements->listed(record_no_, shows_seq(stmt_.tag) ? std::optional(state_.seq) : std::nullopt,
                           fields.location, fields.width, fields.new_location, ctx.diag.code());
  if (!list_.active()) return;
  ListedStatement line;
  if (shows_seq(stmt_.tag)) line.seq = state_.seq;
  line.card = stmt_.card;
  line.suffix = state_.suffix;
  line.tag = record_tag(stmt_.tag);
  line.fields = fields;
  // The statement may have completed its card, which is punched already.
  if (show_card) line.card_no = storage_.card_of_last_data();
  line.error_code = ctx.diag.code();
  list_.statement(line);
}

}  // namespace velumar
