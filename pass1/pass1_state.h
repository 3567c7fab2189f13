// Pass 1 over one job: the statement loop (pass1.cpp) and the statement
// handlers for machine instructions (machine.cpp), declaratives
// (declaratives.cpp) and control statements (control.cpp). A handler reads
// the card, decides what its statement is and returns that decision as a
// Decision; the loop writes the record, and the layout (tables/layout.h)
// places every record written, which moves the location counter.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/location.h"
#include "frontend/opcodes.h"
#include "ir/fixed_text.h"
#include "ir/operand.h"
#include "pass1/pass1.h"

namespace velumar {

/// Largest CHAIN amount that can ever fit in storage.
constexpr int kMaxChain = kStorageSize;

/// The location counter and what it has reached so far in the job.
struct LocationCounter {
  int here = kStartLocation;
  /// Highest location a statement stood at or stored up to; a blank ORG
  /// goes there.
  int highest = 0;
  /// Something was placed beyond the last position of storage.
  bool storage_exceeded = false;
  /// The source line and card of the first statement that did so, where
  /// the report of it points.
  long long exceeded_line = 0;
  std::string exceeded_card;
  /// False from an ORG or LTORG to a symbol not yet defined until one to an
  /// actual address: in between, `here` runs from kUndefinedOrg and only
  /// pass 2 learns where the statements really go. (An ORG to a symbol does
  /// not end it: the symbol may have been defined in that stretch.)
  bool determined = true;
};

/// What a DA leaves for the field cards that follow it.
struct DefineArea {
  int origin = 0;  ///< location of the area's first record
  bool known = true;  ///< false when the origin follows an undetermined counter
  int index = 0;   ///< index register its field labels carry
};

/// The operation of the previous statement, for field cards and CHAIN.
struct PreviousOp {
  Op op = Op::Direct;
  FixedText<5> text;  ///< columns 16-20 of its card
};

/// Storage a statement occupies: [lo, hi).
struct Span {
  int lo = 0;
  int hi = 0;
};

/// What follows a statement, and what it stores.
enum class Advance {
  ByWidth,    ///< it stores its width at its location (unless `used` says otherwise)
  Stay,       ///< it stores nothing at the counter (placed elsewhere, or its pool came first)
  PlacePool,  ///< the literal pool follows it
};

/// What a handler decided about its statement.
struct Decision {
  RecordKind kind = RecordKind::Statement;
  int location = 0;  ///< where the record says the statement goes
  int width = 0;
  std::optional<int> label;        ///< symbol index of the label defined
  /// An EQU with a blank label field (see RecordFields::unnamed_equ).
  bool unnamed_equ = false;
  std::optional<int> origin;       ///< explicit location (1 or more) from a numeric label
  Advance advance = Advance::ByWidth;
  /// Storage occupied, when it is not [location, location + width).
  std::optional<Span> used;
};

/// The card being assembled and what its label field holds.
struct Card {
  std::string line = std::string(80, ' ');
  Token label_token = Token::Done;
  int label_end = 0;             ///< last column of the label token
  FixedText<6> label;            ///< label with the suffix rule applied
};

class Pass1 {
 public:
  explicit Pass1(const Pass1Context& context) : ctx_(context) {}

  /// The whole pass over one job; see pass_1.
  int run(bool* had_cards);

 private:
  static constexpr char kRecordMark = '\'';

  // ---- pass1.cpp: the loop ----
  /// Looks ahead for a card that is neither blank nor a comment and puts
  /// back what it read; false when the input holds no further program.
  bool program_ahead(int& status);
  void init_job();
  void begin_statement();
  void label_field();
  /// Finds the operation; false when the card is dropped.
  bool look_up_op();
  /// Hints for an operation code that is not known: what it reads, and a
  /// known code one column to either side.
  void op_code_hints(std::vector<Note>& notes) const;
  /// The note that points at where `symbol` was first defined; none when
  /// not found.
  std::vector<Note> first_definition(int symbol) const;
  /// Duplicate labels whose first definition is looked for, at most.
  static constexpr int kMaxLookups = 100;
  /// Warns of fields that stand a column or two from where they are read;
  /// after the statement's own checks, which it does not repeat.
  void report_column_slips(bool op_known);
  Decision dispatch();
  /// Writes the statement's record and places it.
  void common_end(const Decision& placed);
  /// Places the records written since the last call (layout::place): the
  /// location counter follows them.
  void place_records();
  void end_of_pass();

  // ---- pass1.cpp: helpers for the handlers ----
  /// A placement at the location counter, width 0, that moves it by its width.
  Decision at_counter() const;
  /// Marks that the statement at hand places something beyond storage; the
  /// first to do so is where the report points.
  void exceed_storage();
  /// Writes a record that defines no label and has no origin.
  void write_record(RecordKind kind, Op op, std::string_view line, int location, int width, char err,
                    std::span<const Operand> operands = {});
  /// Defines the statement's label and returns its symbol index (none for a
  /// blank label); reports a duplicate.
  std::optional<int> define_label(std::optional<int> value, int index, bool check_dup = true, std::string_view dev = "   ");
  /// A location computed from the counter, when the counter is known
  /// (see LocationCounter::determined); otherwise no value.
  std::optional<int> counter_value(int location) const {
    return counter_.determined ? std::optional<int>(location) : std::nullopt;
  }
  /// The value of a numeric label (saturated).
  int numeric_label() const;
  bool name_label() const { return card_.label_token == Token::Name; }
  bool numeric_label_given() const { return card_.label_token == Token::Number; }
  /// Gives the statement the explicit location `leftmost` from its numeric
  /// label: the record carries it as its origin and the counter stays.
  /// A location that the record cannot carry (0 or below) flags the
  /// statement and places it at the counter.
  bool place_explicitly(Decision& placed, int leftmost, int width);
  /// The name of operand text `name` (first 6 characters) with the suffix.
  std::string symbol_name(std::string_view name) const;
  /// Columns 16-18 without trailing blanks, for the "Improper operand" texts.
  std::string op_name() const;
  OperandList& ops() { return ctx_.parser.operands(); }
  Operand& op(int k) { return ctx_.parser.operands().at(k); }
  const Operand& get_op(int k) const { return ctx_.parser.operands().get(k); }
  void error(DiagId id, std::initializer_list<std::string_view> args = {}) { ctx_.diag.do_error(diagnose(id, args)); }

  // ---- machine.cpp ----
  /// The operation and d-modifier of the machine instruction at hand.
  struct Instruction {
    char machine_op = ' ';
    bool direct = false;  ///< the code is given in columns 19-20
    char d = ' ';
    bool got_d = false;
    bool more = false;  ///< the operand field holds more than was read
    std::array<int, 6> first_col{};  ///< where each operand starts on the card
  };
  Decision machine_instruction();
  /// Checks the A operand against the row's rules; false when the operand
  /// list turned out empty. Adds the operand's width to `width`.
  bool check_a(const OpInfo& row, Instruction& in, int& width);
  /// Checks the B operand and what follows it.
  void check_b_and_d(const OpInfo& row, Instruction& in, int& width);
  /// Reads the d-modifier from operand `k`; `historic_only`: a d-modifier
  /// of more than one character is not reported on standard error.
  void analyze_d(int k, Instruction& in, bool historic_only = false);
  /// Reports operand `k` (1: A, 2: B, starting in `first_col`) that reads
  /// as nothing: an unterminated literal, a missing operand, or else "Bad A/B field".
  void bad_operand(int k, int first_col);
  void register_symbol(int k);

  // ---- declaratives.cpp ----
  Decision do_da();
  /// Reads "NxS" and the options into the operands and the area state and
  /// returns the area's width; flags a malformed field.
  int read_da_operands();
  /// Reads the options after "NxS" and adds the marks they ask for to `width`.
  void read_da_options(int& pos, int& end, int& width, int records);
  Decision do_field_card();
  Decision do_dc();
  /// The width of a DC or DCW operand, which it turns into what the record carries.
  int dc_operand(Operand& o);
  Decision do_ds();
  Decision do_dsa();
  /// Reads the DSA operand into `o`, with the star standing at `location`.
  void read_dsa_operand(Operand& o, int location, int& pos, int& end);
  /// After `adjust` returned: true when nothing follows the adjustment.
  bool adjustment_ends(int& pos, int& end);
  Decision do_equ();

  // ---- control.cpp ----
  Decision do_org_ltorg(bool ltorg);
  void end_or_ex();
  /// Writes the pending literals as a pool at the location counter (for
  /// LTORG, EX and END); returns where the pool ends.
  int place_pool();
  Decision do_ex();
  /// Places the last pool and writes the END record, which ends the job.
  void do_end();
  Decision do_chain();

  Pass1Context ctx_;  // a view of references, held by value
  LocationCounter counter_;
  DefineArea area_;
  PreviousOp previous_;
  Card card_;
  std::size_t placed_ = 0;  ///< records of the job placed so far
  Op chained_op_ = Op::Direct;  ///< the operation CHAIN repeats
};

}  // namespace velumar
