#include "driver/program_symbols.h"

#include <algorithm>

#include "core/text.h"
#include "driver/context.h"
#include "tables/pools.h"

namespace velumar {

namespace {

constexpr int kLabelFirst = 6;
constexpr int kOpFirst = 16;
constexpr int kOpLast = 20;

// Declaratives whose literal-looking operands are constants, not literals.
bool takes_constants(Op op) {
  return op == Op::Dc || op == Op::Dcw || op == Op::Ds || op == Op::Dsa || op == Op::Da;
}

bool is_literal_kind(OperandKind k) {
  return k == OperandKind::AdconLit || k == OperandKind::AddrCon || k == OperandKind::AreaDef ||
         k == OperandKind::CharLit || k == OperandKind::NumLit;
}

// The columns of `name` within columns first..last of the card: the longest
// start of it found there (a suffixed name is written without its suffix).
SourceSpan name_span(std::string_view card, long long line, int first, int last, std::string_view name) {
  const std::string written = cols(card, first, last);
  for (std::size_t len = name.size(); len > 0; --len) {
    const std::size_t at = written.find(name.substr(0, len));
    if (at != std::string::npos) {
      const int from = first + static_cast<int>(at);
      return {line, from, from + static_cast<int>(len) - 1};
    }
  }
  return {line, first, last};
}

SymbolKind kind_of_definition(const RecordView& rec) {
  switch (rec.kind) {
    case RecordKind::Area:
    case RecordKind::Field:
    case RecordKind::Subfield: return SymbolKind::Area;
    default: break;
  }
  const Op op = statement_op(rec);
  switch (op) {
    case Op::Dc:
    case Op::Dcw:
    case Op::Dsa: return SymbolKind::Constant;
    case Op::Ds:
    case Op::Da: return SymbolKind::Area;
    case Op::Direct: return SymbolKind::Instruction;
    default: return is_pseudo(op) || op == Op::Unknown ? SymbolKind::Equ : SymbolKind::Instruction;
  }
}

// Builds the symbols and literals from the tables and the records.
class SymbolGatherer {
 public:
  explicit SymbolGatherer(const Context& ctx)
      : ctx_(ctx),
        symbols_(static_cast<std::size_t>(ctx.symtab.size())),
        literals_(static_cast<std::size_t>(std::max(ctx.literals.count(), 0))) {}

  std::vector<SymbolInfo> run() {
    const RecordStore& records = ctx_.scratch.records();
    std::size_t pool_record = 0;  // literals are placed in the order of the table, each once
    for (std::size_t i = 0; i < records.size(); ++i) {
      const RecordView rec = records[i];
      if (rec.kind == RecordKind::Error || rec.kind == RecordKind::Warning || is_comment(rec)) continue;
      const long long line = ctx_.scratch.line_of(i);
      define(rec, line);
      if (is_pool_record(rec.kind)) {
        ++pool_record;
        define_literal(pool_record, rec, line);
      } else if (rec.kind == RecordKind::Statement || rec.kind == RecordKind::GroupMark) {
        uses(rec, line);
      }
    }
    return finish();
  }

 private:
  SymbolInfo* symbol(int index) {
    return ctx_.symtab.valid(index) ? &symbols_[static_cast<std::size_t>(index - 1)] : nullptr;
  }
  SymbolInfo* literal(int index) {
    return ctx_.literals.valid(index) ? &literals_[static_cast<std::size_t>(index - 1)] : nullptr;
  }

  void define(const RecordView& rec, long long line) {
    SymbolInfo* s = rec.label ? symbol(*rec.label) : nullptr;
    if (s == nullptr || s->definition) return;
    s->kind = kind_of_definition(rec);
    s->width = s->kind == SymbolKind::Equ ? 0 : rec.width;
    // An area literal's label is written in the operand that made it.
    if (rec.kind == RecordKind::Area) {
      s->definition = area_definitions_.size() > static_cast<std::size_t>(*rec.label)
                          ? area_definitions_[static_cast<std::size_t>(*rec.label)]
                          : std::nullopt;
      if (!s->definition) s->definition = SourceSpan{line, kOpFirst, kOpLast};
      return;
    }
    const int length = static_cast<int>(rtrim(ctx_.symtab[*rec.label].label).size());
    s->definition = SourceSpan{line, kLabelFirst, kLabelFirst + std::max(length, 1) - 1};
  }

  void define_literal(std::size_t index, const RecordView& rec, long long line) {
    SymbolInfo* s = literal(static_cast<int>(index));
    if (s == nullptr) return;
    // The pool is placed where the statement that placed it stands.
    s->definition = SourceSpan{line, kOpFirst, kOpLast};
    s->width = rec.width;
  }

  void uses(const RecordView& rec, long long line) {
    const Op op = statement_op(rec);
    const bool constants = takes_constants(op);
    for (int k = 1; k <= rec.operand_count(); ++k) {
      const Operand& o = rec.operand(k);
      auto [first, last] = operand_columns(rec.text, k);
      if (first == 0) continue;
      const Access access = op != Op::Direct && writes_operand(op, k) ? Access::Store : Access::Read;
      if (o.kind == OperandKind::Symbolic || (constants && o.kind == OperandKind::AddrCon)) {
        const std::optional<int> index = o.kind == OperandKind::Symbolic ? o.symbol() : o.constant_symbol();
        if (index) add_symbol_use(*index, rec.text, line, first, last, k, access);
      } else if (!constants && is_literal_kind(o.kind)) {
        literal_use(o, rec.text, line, first, last, k, access);
      }
    }
  }

  void add_symbol_use(int index, std::string_view card, long long line, int first, int last, int k, Access access) {
    SymbolInfo* s = symbol(index);
    if (s == nullptr) return;
    const std::string_view name = rtrim(ctx_.symtab[index].label);
    s->uses.push_back({name_span(card, line, first, last, name), k, access});
  }

  void literal_use(const Operand& o, std::string_view card, long long line, int first, int last, int k,
                   Access access) {
    SymbolInfo* s = literal(o.literal());
    if (s == nullptr) return;
    if (s->name.empty()) s->name = cols(card, first, last);
    s->uses.push_back({{line, first, last}, k, access});
    const Literal& lit = ctx_.literals[o.literal()];
    if (o.kind == OperandKind::AddrCon && !is_blank(lit.symbol)) {
      // "+NAME" uses NAME as well.
      add_symbol_use(ctx_.symtab.lookup(lit.symbol), card, line, first, last, k, Access::Read);
    } else if (o.kind == OperandKind::AreaDef) {
      const int label = ctx_.symtab.lookup(pad(lit.text, 6));
      if (label > 0) {
        if (area_definitions_.size() <= static_cast<std::size_t>(label))
          area_definitions_.resize(static_cast<std::size_t>(label) + 1);
        auto& def = area_definitions_[static_cast<std::size_t>(label)];
        if (!def) def = name_span(card, line, first, last, rtrim(lit.text));
      }
    }
  }

  std::vector<SymbolInfo> finish() {
    for (int i = 1; i <= ctx_.symtab.size(); ++i) {
      SymbolInfo& s = symbols_[static_cast<std::size_t>(i - 1)];
      const Symbol& sym = ctx_.symtab[i];
      s.name = std::string(rtrim(sym.label));
      s.value = sym.defined_value();
      s.index_reg = sym.index_reg;
      if (!s.definition && !s.value) s.kind = SymbolKind::Undefined;
    }
    std::stable_sort(symbols_.begin(), symbols_.end(),
                     [](const SymbolInfo& a, const SymbolInfo& b) { return a.name < b.name; });
    for (int i = 1; i <= ctx_.literals.count(); ++i) {
      SymbolInfo& s = literals_[static_cast<std::size_t>(i - 1)];
      const Literal& lit = ctx_.literals[i];
      if (s.name.empty()) s.name = std::string(rtrim(lit.text));
      s.kind = SymbolKind::Literal;
      if (s.definition && lit.address > 0) s.value = lit.address;
      if (s.width == 0) s.width = literal_width(lit);
      s.index_reg = lit.index_reg >= '1' && lit.index_reg <= '3' ? lit.index_reg - '0' : 0;
      symbols_.push_back(std::move(s));
    }
    return std::move(symbols_);
  }

  const Context& ctx_;
  std::vector<SymbolInfo> symbols_;
  std::vector<SymbolInfo> literals_;
  std::vector<std::optional<SourceSpan>> area_definitions_;  // by symbol index
};

}  // namespace

Op statement_op(const RecordView& rec) {
  if (is_comment(rec)) return Op::Unknown;
  if (is_blank(col_view(rec.text, 16, 18))) return Op::Direct;
  return find_op(col_view(rec.text, 16, 20));
}

std::pair<int, int> operand_columns(std::string_view card, int k) {
  int n = 1;
  int first = 21;
  bool literal = false;
  for (int c = 21; c <= 72; ++c) {
    const char ch = col(card, c);
    if (ch == '@') literal = !literal;
    const bool ends = !literal && (ch == ',' || ch == ' ');
    if (!ends) continue;
    if (n == k) return {first, std::max(first, c - 1)};
    if (ch == ' ') return {0, 0};
    ++n;
    first = c + 1;
  }
  if (n == k && first <= 72) return {first, 72};
  return {0, 0};
}

std::vector<SymbolInfo> gather_symbols(const Context& ctx) { return SymbolGatherer(ctx).run(); }

}  // namespace velumar
