// Pass 3: turns the intermediate records into 1401 characters and word
// marks, and says what goes into storage to a storage sink and what is
// listed to the listing writer (output/), which the run hands it.
//
// Its member functions are implemented in several files, one concern each:
//   pass3.cpp       statement loop, instruction assembly, do_operand, test_p,
//                   do_org, spread, FIELD/SBFLD/MACRO records
//   constants.cpp   DC, DCW, DS, DSA, DA and the literal-pool lines
//   storage.cpp     dc, sw, clear: what goes where in storage, handed to
//                   the storage sink; the EX/XFR and END transfers; the
//                   loader and resume-loading output
//   listing.cpp     the statement line handed to the listing writer
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/charset.h"
#include "core/location.h"
#include "frontend/opcodes.h"
#include "ir/intermediate.h"
#include "output/listing.h"
#include "output/storage_sink.h"
#include "core/diagnostics.h"
#include "core/settings.h"
#include "tables/layout.h"
#include "tables/literals.h"
#include "tables/statement_log.h"
#include "tables/symtab.h"

namespace velumar {

/// What pass 3 works on: the records of pass 1, the settled tables, the
/// switches it reads, and where it reports.
struct Pass3Context {
  const IntermediateFile& scratch;
  const SymbolTable& symtab;
  const LiteralTable& literals;
  const Settings& settings;
  Diagnostics& diag;
  std::ostream& out;  ///< standard output: the check that a DA's area came out as laid
  layout::LocationLog* locations = nullptr;  ///< where the location counter is reported; null in a plain run
  StatementLog* statements = nullptr;        ///< what is made of each record; null in a plain run
};

/// Runs pass 3 over the job in ctx.scratch: lists it on LISTING and says
/// what goes into storage to STORAGE.
void pass_3(const Pass3Context& ctx, ListingWriter& listing, StorageSink& storage);

class Pass3 {
 public:
  Pass3(const Pass3Context& ctx, ListingWriter& listing, StorageSink& storage);
  Pass3(const Pass3&) = delete;
  Pass3& operator=(const Pass3&) = delete;

  /// The statement loop over every record, then the symbol table.
  void run();

  const Pass3Context ctx;  ///< what the pass works on

  /// Operand k (1-based) of the record being processed; a blank one when it has none.
  const Operand& operand(int k) const { return stmt_.record ? stmt_.record->operand(k) : RecordView::kNoOperand; }
  /// The symbol index of the label the record being processed defines.
  std::optional<int> label() const { return stmt_.label; }
  /// Reports on standard error an address that cannot be made (the
  /// undefined symbol by name) and flags the statement.
  void flag_address(int which, std::optional<std::int64_t> value = std::nullopt);

  /// Lists the record being processed with FIELDS; SHOW_CARD: with the
  /// number of the object card that holds it.
  void listing(const ListFields& fields, bool show_card = false);

 private:
  /// What lives from one statement to the next.
  struct State {
    int seq = 100;       ///< sequence number of the last statement listed
    char suffix = ' ';   ///< set by SFX
    bool loader_due = true;   ///< the loader goes out before the first record
    bool resume_due = false;  ///< an EX or XFR was the last statement
    // The last DA's area, for the field cards that follow it.
    int area_origin = 0;
    int area_records = 0;
    int record_size = 0;
  };
  /// The record being processed and what has been made of it so far.
  struct Statement {
    RecordKind tag = RecordKind::Statement;
    std::string card = std::string(80, ' ');
    std::optional<int> label;  ///< see label()
    std::optional<int> origin;  ///< its explicit location, from a numeric label
    int here = kStartLocation;  ///< the location counter before it, as the layout placed it
    int next = kStartLocation;  ///< the location counter after it
    int where = 0;  ///< its location, or its rightmost position for a constant
    int width = 0;
    std::optional<RecordView> record;
    char machine_op = ' ';
    char d_modifier = ' ';
    Op op = Op::Direct;  ///< its operation
    std::string object = std::string(8, ' ');   ///< the instruction assembled
    std::string output = std::string(52, ' ');  ///< the instruction as listed, parts spread out
  };

  // ---- pass3.cpp ----
  /// Processes the record that take_record made current.
  void process_record();
  /// Makes record `i`, `r`, the record being processed.
  void take_record(std::size_t i, const RecordView& r);
  void process_statement(Op op, bool direct);
  /// Reports on standard error a statement flagged without a message.
  void report_flag();
  /// Card columns of operand WHICH (first, last); column 21 when the card
  /// has no such operand.
  std::pair<int, int> operand_columns(int which) const;
  void assemble_instruction();
  /// Writes the 3-character A- or B-address of operand WHICH at WHERE.
  void do_operand(int which, char* where);
  void test_p(int at);
  void do_org();
  /// Lays consecutive pieces of the object of the given lengths into the
  /// output, one blank between pieces.
  void spread(std::initializer_list<int> lengths);
  void do_field_record();   ///< "FIELD"
  void do_sbfld_record();   ///< "SBFLD"
  void do_macro_record();   ///< "MACRO"
  void list_comment();

  // ---- constants.cpp ----
  void do_dc();   ///< DC, DCW and literal-pool lines
  void dc_number(char wm);
  /// The literal a pool record places; null for any other record.
  const Literal* pool_literal() const;
  std::string address_constant(const Operand& op) const;
  void dc_address(const std::string& addr, char wm);
  void dc_blanks(char wm);
  void do_ds();
  void do_dsa();
  void do_da();
  /// Places the records of a DA's area from AT on; returns where they end.
  int place_area_records(int at, bool clear_records, bool record_marks);
  void place_area_group_mark(int at);

  // ---- storage.cpp ----
  /// Places TEXT in storage ending at LAST; WM 'W' puts a word mark on its
  /// first character. Only the positions inside storage are placed (see
  /// beyond_storage), and a byte that is no 1401 character is placed as a
  /// blank.
  void dc(std::string_view text, char wm, int last);
  /// Requests a word mark at AT on the deck and the tape. A position
  /// outside storage gets none.
  void sw(int at);
  /// Flags the statement that reaches beyond storage and, unless the job
  /// has been told already, reports "CORE STORAGE EXCEEDED".
  void beyond_storage();
  /// COUNT blanks from FIRST on in pieces of at most 39, the first
  /// carrying WM.
  void clear(int first, int count, char wm);
  void transfer_ex();   ///< EX and XFR
  void transfer_end();  ///< END
  /// The JOB card's page heading and deck identification, for every card,
  /// record and page from now on.
  void set_title(std::string_view page_head, std::string_view deck_id);
  void emit_loader();  ///< the loader deck chosen by -b (and the tape's first records)
  void emit_resume();  ///< resume-loading cards after EX/XFR

  /// Columns `from`..`to` of the card being processed (80 columns).
  std::string_view card_columns(int from, int to) const {
    return std::string_view(stmt_.card).substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
  }

  State state_;
  Statement stmt_;
  std::size_t record_no_ = 0;  ///< index of the record being processed, for ctx.statements
  std::string placed_;  ///< what dc places, kept for its capacity
  const char record_mark_ = bcd_char(RecordMark);
  const char group_mark_ = bcd_char(GroupMark);
  ListingWriter& list_;
  StorageSink& storage_;
};

}  // namespace velumar
