// Pass 3: turns the intermediate records into 1401 characters and word
// marks, and writes the object deck, the tape file and the listing.
//
// The pass is one object whose state every output procedure shares. Its
// member functions are implemented in several files, one concern each:
//   pass3.cpp       statement loop, instruction assembly, do_operand, test_p,
//                   do_org, spread, FIELD/SBFLD/MACRO records
//   constants.cpp   DC, DCW, DS, DSA, DA and the literal-pool lines
//   object_deck.cpp dc, sw, clear, finish_obj, the word-mark queue, the
//                   EX/XFR and END transfer output
//   loader.cpp      the loader decks, captions and resume-loading cards
//   tape.cpp        write_tape, tape data records, set-word-mark records
//   listing.cpp     listing, heading, heading_job
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
#include "tables/job.h"

namespace velumar {



/// Runs pass 3 over the job in ctx.scratch, writing to ctx.listing,
/// ctx.object and ctx.tape as asked.
void pass_3(const Job& ctx, bool Do_List, bool Do_Object, bool Do_Tape);

class Pass3 {
 public:
  Pass3(const Job& ctx, bool Do_List, bool Do_Object, bool Do_Tape);

  /// The statement loop over every record, then the symbol table.
  void run();

  // ---- settings and outputs ----
  Job ctx;  // a view of references, held by value
  bool Do_List, Do_Object, Do_Tape;

  // ---- the record being processed ----
  std::string WHY = "     ";
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
  int OP_IX = 0;
  std::string Object = std::string(8, ' ');
  std::string OUTPUT = std::string(52, ' ');
  int SEQ = 100;
  int LINE_NO = 0;  ///< lines printed on the current listing page
  int PAGE_NO = 0;
  char SKIP = '0';
  char SFX = ' ';
  char RMARK = '\'';
  char GMARK = '"';
  std::string Deck_Id = std::string(5, ' ');
  std::string Page_Head = std::string(52, ' ');
  bool NeedCS = true;
  bool NeedEX = false;
  char X = ' ';

  // ---- DA state ----
  int P_DA = 0;
  int Nrecs = 0;
  int RECSIZ = 0;

  // ---- object deck ----
  static std::string empty_card();
  std::string CARD;  ///< columns 1-71 of the card being built
  int CARD_NO = 1;
  int OBJ_POS = 0;
  int Last_Obj_P = -1;
  int Num_Load_Ops = 0;
  static constexpr int SWQ_SIZE = 16000;
  std::vector<int> SWQ;  ///< delayed word-mark addresses, at most SWQ_SIZE pending
  int SWQH = 1, SWQT = 0;

  // ---- tape ----
  std::string TSWMS = std::string(56, ' ');
  int Num_Swms = 0;

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

  // ---- object_deck.cpp ----
  /// Places WHAT in storage ending at WHERE; WM 'W' puts a word mark on its
  /// first character. P advances by the length when IXLAB >= 0. Only the
  /// positions inside storage are placed (see beyond_storage), and a byte
  /// that is no 1401 character is placed as a blank.
  void dc(std::string_view WHAT, char WM, int WHERE, int IXLAB);
  /// Requests a word mark at MyP; FromDC: the field's tape record carries it.
  /// A position outside storage gets none.
  void sw(int MyP, bool FromDC = false);
  /// Flags the statement that reaches beyond storage and, unless the job
  /// has been told already, reports "CORE STORAGE EXCEEDED".
  void beyond_storage();
  /// HOW_MUCH blanks at P in pieces of at most 39, the first carrying WM.
  void clear(int HOW_MUCH, char WM);
  /// Punches CARD; read_and_branch puts "1040" in columns 68-71.
  void finish_obj(bool read_and_branch = false);
  void flush_sw_queue();
  void transfer_ex();   ///< EX and XFR
  void transfer_end();  ///< END

  // ---- loader.cpp ----
  void emit_loader();  ///< the loader deck chosen by BootLoader (and the tape's first records)
  void emit_resume();  ///< resume-loading cards after EX/XFR

  // ---- tape.cpp ----
  void write_tape(std::string_view DATA, std::string_view WMS, int N);
  /// Tape data records for a field of dc (leftmost address MyP).
  void tape_field(std::string_view WHAT, char WM, int MyP);
  /// Adds an address to the pending set-word-mark record.
  void tape_sw(int MyP);
  void output_swms();

  // ---- listing.cpp ----
  struct ListArgs {
    std::optional<int> WIDTH{};
    std::optional<int> LOC{};
    std::optional<std::string> OUTPUT{};
    std::optional<int> ORG{};
    std::optional<int> CARD{};
    std::optional<std::string> DEV{};
    std::optional<char> X{};
  };
  void listing(const ListArgs& args);
  void heading();
  void heading_job();
  /// Writes one line to the listing (when there is one), trailing blanks removed.
  void print(std::string_view line);
};

}  // namespace velumar
