// The state of one pass-1 run over a job, shared by the statement loop
// (pass1.cpp) and the statement handlers: machine instructions
// (machine.cpp), declaratives (declaratives.cpp) and control statements
// (control.cpp).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tables/job.h"
#include "ir/operand.h"
#include "core/location.h"

namespace velumar {

/// First location of every job.
constexpr int kStartP = 333;
/// Last position of a 16,000-character storage.
constexpr int kLastAddress = 15999;
/// Largest CHAIN amount that can ever fit in storage.
constexpr int kMaxChain = 16000;

class Pass1 {
 public:
  explicit Pass1(const Job& context) : ctx(context) {}

  /// The whole pass over one job; see pass_1.
  int run(bool* had_cards);

  Job ctx;  // a view of references, held by value

  // ---- location counter and the statement being processed ----
  int P = kStartP;
  int P_Scratch = 0;
  int WIDTH = 0;
  bool ADD_WIDTH = true;
  int P_Max = 0;
  bool CoreMsg = false;
  int IXLAB = 0;
  Token LabelToken = Token::Done;
  std::string Label = "      ";  ///< label with the suffix rule applied
  RecordKind record_kind = RecordKind::Statement;
  std::string LINE = std::string(80, ' ');
  int POS = 0;
  int END = 0;
  Token TOKEN = Token::Done;
  int Status = 0;
  char MachineOp = ' ';
  Op PrevOp = Op::Direct;
  std::string PrevOpText = "     ";
  bool NEED_LTORG = false;
  static constexpr char RMARK = '\'';

  // Storage the statement occupies, [UsedLo, UsedHi); set by handlers that
  // place something away from P_Scratch or whose width field is no width.
  bool UsedSet = false;
  int UsedLo = 0;
  int UsedHi = 0;

  // ---- machine instructions ----
  char D = ' ';
  bool GOT_D = false;
  bool Direct = false;

  // ---- DA state, kept from one DA to its field cards ----
  int P_DA = 0;
  int NRECS = 1;
  int RECSIZ = 1;
  int INDEX = 0;
  bool CLEAR = false;
  bool GroupMark = false;
  bool RecMark = false;
  int FIELD = 0;

  // ---- shortcuts to the shared state ----
  OperandList& ops() { return ctx.parser.operands(); }
  Operand& op(int k) { return ctx.parser.operands().at(k); }
  const Operand& get_op(int k) const { return ctx.parser.operands().get(k); }
  /// Hints for an operation code that is not known: what it reads, and a
  /// known code one column to either side.
  void op_code_hints();
  void error(std::string_view message) { ctx.diag.do_error(message); }

  // ---- pass1.cpp ----
  /// Looks ahead for a card that is neither blank nor a comment and puts
  /// back what it read; false when the input holds no further program.
  bool program_ahead(int& status);
  void init_job();
  void label_field();
  /// Finds the operation; false when the card is dropped.
  bool look_up_op();
  void dispatch();
  void common_end();
  void end_of_pass();
  void write_record(RecordKind kind, std::string_view line, int ixlab, int p, int width, char err,
                    std::vector<Operand> operands = {});
  /// Defines the statement's label; reports a duplicate.
  void define_label(int value, int index, bool check_dup = true, std::string_view dev = "   ");
  /// The value of a numeric label (saturated).
  int numeric_label() const;
  bool name_label() const;
  bool numeric_label_given() const;
  /// Marks [lo, lo + width) as the storage the statement occupies.
  void occupy(int lo, int width);
  /// Gives the statement the explicit location `leftmost` from its numeric
  /// label: the record carries it in IXLAB and P stays. A location that the
  /// record cannot carry (0 or below) flags the statement and places it at P.
  bool place_explicitly(int leftmost, int width);
  /// The name of operand text `name` (first 6 characters) with the suffix.
  std::string symbol_name(std::string_view name) const;
  /// Columns 16-18 without trailing blanks, for the "Improper operand" texts.
  std::string op_name() const;

  // ---- machine.cpp ----
  void machine_instruction();
  void analyze_d(int k);
  void register_symbol(int k);

  // ---- declaratives.cpp ----
  void do_da();
  void do_field_card();
  void do_dc();
  void do_ds();
  void do_dsa();
  /// After `adjust` returned: true when nothing follows the adjustment.
  bool adjustment_ends();
  void do_equ();

  // ---- control.cpp ----
  void do_org_ltorg(bool ltorg);
  void end_or_ex();
  void do_ex();
  void do_xfr();
  void do_end();
  void do_chain();
  void do_sfx();
  void do_ent();
  void do_alter();
  void do_delet_inser();
};

}  // namespace velumar
