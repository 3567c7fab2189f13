// Pass 3: turns the intermediate records into 1401 characters and word
// marks, and drives the object deck, tape and listing writers (output/)
// with them.
//
// Its member functions are implemented in several files, one concern each:
//   pass3.cpp       statement loop, instruction assembly, do_operand, test_p,
//                   do_org, spread, FIELD/SBFLD/MACRO records
//   constants.cpp   DC, DCW, DS, DSA, DA and the literal-pool lines
//   storage.cpp     dc, sw, clear: what goes where in storage, handed to
//                   the deck and tape writers; the EX/XFR and END transfers;
//                   the loader and resume-loading output
//   listing.cpp     the statement line handed to the listing writer
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/location.h"
#include "ir/intermediate.h"
#include "output/listing.h"
#include "output/object_deck.h"
#include "output/tape_file.h"
#include "frontend/opcodes.h"
#include "tables/job.h"

namespace velumar {



/// Runs pass 3 over the job in ctx.scratch, writing to ctx.listing,
/// ctx.object and ctx.tape as asked.
void pass_3(const Job& ctx, bool Do_List, bool Do_Object, bool Do_Tape);

class Pass3 {
 public:
  Pass3(const Job& ctx, bool Do_List, bool Do_Object, bool Do_Tape);
  Pass3(const Pass3&) = delete;  // the deck writer calls back into this object
  Pass3& operator=(const Pass3&) = delete;

  /// The statement loop over every record, then the symbol table.
  void run();

  // ---- settings and outputs ----
  Job ctx;  // a view of references, held by value

  // ---- the record being processed ----
  RecordKind WHY = RecordKind::Statement;
  std::string LINE = std::string(80, ' ');
  int IxLab = 0;
  int P_IN = 0;
  int WIDTH = 0;
  const Record* rec = nullptr;  ///< current record (operands through operand())
  const Operand& operand(int k) const;

  // ---- statement loop state ----
  int P = 333;
  char MachineOp = ' ';
  char D = ' ';
  Op OP_IX = Op::Direct;
  std::string Object = std::string(8, ' ');
  std::string OUTPUT = std::string(52, ' ');
  int SEQ = 100;
  char SFX = ' ';
  char RMARK = '\'';
  char GMARK = '"';
  bool NeedCS = true;
  bool NeedEX = false;
  char X = ' ';

  // ---- DA state ----
  int P_DA = 0;
  int Nrecs = 0;
  int RECSIZ = 0;

  // ---- pass3.cpp ----
  void process_record(const Record& r);
  // Reports on standard error: an address that cannot be made (the
  // undefined symbol by name), and a statement flagged without a message.
  void flag_address(int WHICH, std::optional<std::int64_t> value = std::nullopt);
  void report_flag();
  /// Card columns of operand WHICH (first, last); column 21 when the card
  /// has no such operand.
  std::pair<int, int> operand_columns(int WHICH) const;
  void assemble_instruction();
  /// The 3-character A- or B-address of operand WHICH.
  std::string do_operand(int WHICH);
  void test_p(int P_TO_TEST);
  void do_org();
  /// Lays consecutive pieces of Object of the given lengths into OUTPUT,
  /// one blank between pieces.
  void spread(std::initializer_list<int> HOW_MANY);
  void do_field_record();   ///< "FIELD"
  void do_sbfld_record();   ///< "SBFLD"
  void do_macro_record();   ///< "MACRO"
  void list_comment();

  // ---- constants.cpp ----
  void do_dc();   ///< DC, DCW and literal-pool lines
  void do_ds();
  void do_dsa();
  void do_da();

  // ---- storage.cpp ----
  /// Places TEXT in storage ending at LAST; WM 'W' puts a word mark on its
  /// first character. P advances by the length when LABEL >= 0. Only the
  /// positions inside storage are placed (see beyond_storage), and a byte
  /// that is no 1401 character is placed as a blank.
  void dc(std::string_view text, char wm, int last, int label);
  /// Requests a word mark at AT on the deck and the tape. A position
  /// outside storage gets none.
  void sw(int at);
  /// Flags the statement that reaches beyond storage and, unless the job
  /// has been told already, reports "CORE STORAGE EXCEEDED".
  void beyond_storage();
  /// COUNT blanks at P in pieces of at most 39, the first carrying WM.
  void clear(int count, char wm);
  void transfer_ex();   ///< EX and XFR
  void transfer_end();  ///< END
  /// The JOB card's page heading and deck identification, for every card,
  /// record and page from now on.
  void set_title(std::string_view page_head, std::string_view deck_id);
  void emit_loader();  ///< the loader deck chosen by -b (and the tape's first records)
  void emit_resume();  ///< resume-loading cards after EX/XFR

  // ---- listing.cpp ----
  struct ListArgs {
    std::optional<int> WIDTH{};
    std::optional<int> LOC{};
    std::optional<std::string> OUTPUT{};
    std::optional<int> ORG{};
    bool CARD = false;  ///< show the object card that holds the statement
    std::optional<std::string> DEV{};
    std::optional<char> X{};
  };
  void listing(const ListArgs& args);

 private:
  /// A word mark taken from the deck's queue onto a card: flagged like any
  /// other, and set on tape too.
  void mark_from_queue(int at);

  ListingWriter list_;
  std::optional<ObjectDeck> deck_;
  std::optional<TapeFile> tape_;
};

}  // namespace velumar
