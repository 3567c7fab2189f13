#include "ir/operand.h"

#include "core/text.h"

namespace velumar {

std::string_view operand_kind_name(OperandKind kind) {
  const int n = static_cast<int>(kind);
  if (n < static_cast<int>(OperandKind::Actual) || n > static_cast<int>(OperandKind::Symbolic)) return {};
  return rtrim(kOperandKindNames.substr(static_cast<std::size_t>(n - 1) * 10, 10));
}

Operand& OperandList::at(int k) {
  if (k < 1) k = 1;
  if (static_cast<std::size_t>(k) > slots_.size()) slots_.resize(static_cast<std::size_t>(k));
  return slots_[static_cast<std::size_t>(k - 1)];
}

const Operand& OperandList::get(int k) const {
  static const Operand blank{};
  if (k < 1 || k > count || static_cast<std::size_t>(k) > slots_.size()) return blank;
  return slots_[static_cast<std::size_t>(k - 1)];
}

std::span<const Operand> OperandList::filled() {
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  if (slots_.size() < n) slots_.resize(n);
  return {slots_.data(), n};
}

}  // namespace velumar
