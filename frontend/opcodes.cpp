#include "frontend/opcodes.h"

#include "core/text.h"

namespace velumar {

Op find_op(std::string_view field) {
  // Blank padding is insignificant, but a longer mnemonic never matches a
  // shorter one by being cut.
  if (rtrim(field).size() > 5) return Op::Unknown;
  const std::string key = pad(field, 5);
  if (is_blank(key)) return Op::Unknown;  // the Direct and Pseudo rows are never looked up
  for (std::size_t row = 0; row < kOpTable.size(); ++row) {
    if (kOpTable[row].mnemonic == key) return static_cast<Op>(row);
  }
  return Op::Unknown;
}

}  // namespace velumar
