// The symbol and literal tables as the operand parser sees them.
#pragma once

#include <string_view>

#include "frontend/parser.h"
#include "tables/literals.h"
#include "tables/symtab.h"

namespace velumar {

class TableLinks final : public OperandTables {
 public:
  TableLinks(SymbolTable& symtab, LiteralTable& literals) : symtab_(symtab), literals_(literals) {}

  int create_lit(LiteralKind kind, int width, std::string_view text, int offset, char index,
                 std::string_view symbol) override {
    return literals_.create_lit(kind, width, text, offset, index, symbol);
  }
  void link_adcon(int adcon, int target) override { literals_[adcon].target = target; }
  int reference(std::string_view name) override { return symtab_.reference(name); }

 private:
  SymbolTable& symtab_;
  LiteralTable& literals_;
};

}  // namespace velumar
