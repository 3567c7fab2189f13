// The program's symbol map (velumar --map) as velumar-run uses it: the source
// line at a storage address, an address named as LABEL+offset, the labels'
// fields.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velumar::run {

/// One source statement that occupies storage.
struct Statement {
  long long line = 0;
  int first = 0, last = 0;
  std::string op;
  std::string text;  ///< card columns 6-72, trailing blanks cut
  bool instruction = false;

  std::string label() const;     ///< card columns 6-11, blanks cut
  std::string operands() const;  ///< columns 21 on, up to the remarks
};

/// One label.
struct Symbol {
  std::string name;
  int value = 0;
  int width = 0;
  int index = 0;     ///< the index register (1-3) added to the value, 0 for none
  std::string kind;  ///< "instruction", "constant", "area", "equ", "literal"
};

/// The symbols and statements of every job in one map file.
class SymbolMap {
 public:
  /// Reads a map file; false (and `error` set) when it cannot be read.
  bool load(const std::string& path, std::string& error);
  bool empty() const { return statements_.empty(); }

  /// The statement whose storage holds `address`.
  const Statement* statement_at(int address) const;
  /// The instruction statement that begins at `address`.
  const Statement* instruction_at(int address) const;
  /// The label named `name`.
  const Symbol* symbol(const std::string& name) const;
  /// `address` as a label and offset ("N", "LOOP+3", "MSG-2"), or "" when no label is near.
  std::string name_address(int address) const;
  /// The labels of fields (constants and areas), by name.
  std::vector<const Symbol*> fields() const;
  /// The line of the first job's END card (0: none).
  long long end_line() const { return end_line_; }
  /// The start address the first job's END card gives (none when it names none).
  std::optional<int> start() const { return start_; }
  /// The lowest and highest address of the program's instructions.
  std::optional<std::pair<int, int>> instruction_span() const;

 private:
  std::vector<Statement> statements_;
  std::map<int, std::size_t> by_first_;  // first address -> statement index
  std::vector<Symbol> symbols_;          // sorted by name
  long long end_line_ = 0;
  std::optional<int> start_;
};

}  // namespace velumar::run
