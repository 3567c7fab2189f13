#include "ir/operand.h"

#include "core/text.h"

namespace velumar {

std::string_view operand_kind_name(OperandKind kind) {
  const int n = static_cast<int>(kind);
  if (n < static_cast<int>(OperandKind::Actual) || n > static_cast<int>(OperandKind::Symbolic)) return {};
  return rtrim(kOperandKindNames.substr(static_cast<std::size_t>(n - 1) * 10, 10));
}

const Operand OperandList::kBlank{};

void OperandList::grow(int k) { slots_.resize(static_cast<std::size_t>(k)); }

std::span<const Operand> OperandList::filled() {
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  if (slots_.size() < n) slots_.resize(n);
  return {slots_.data(), n};
}

}  // namespace velumar
