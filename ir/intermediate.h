// The intermediate file: one fixed-layout record per statement, generated
// line, literal or diagnostic, carrying a job from pass 1 to passes 2 and 3.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ir/operand.h"

namespace velumar {

struct Record {
  std::string tag = "     ";  ///< record tag, 5 characters
  std::string card = std::string(80, ' ');
  int label_index = 0;  ///< symbol index of the label, or minus an explicit address
  int location = 0;     ///< the address pass 1 gave the statement
  int width = 0;
  char flag = ' ';  ///< the statement's error code
  std::vector<Operand> operands;

  int operand_count() const { return static_cast<int>(operands.size()); }
  /// Operand k (1-based); an all-zero, blank operand when the record has none.
  const Operand& operand(int k) const;

  bool operator==(const Record&) const = default;
};

/// A record with every field given; the tag and the card are blank-padded
/// (or cut) to 5 and 80 characters.
Record make_record(std::string_view why, std::string_view line, int ixlab, int p, int width, char err = ' ',
                   std::vector<Operand> ops = {});

/// The text form of a record: 110 columns plus 27 per operand group (a
/// diagnostic, tagged "ERROR" or "WARN " with no operands, 109 columns), a
/// fifth and later group continuing on further lines, four groups to a line
/// ("\n" between lines, none at the end). An integer that does not fit its
/// 6 columns is written as six asterisks: the columns stay aligned, and
/// reading refuses the record rather than take another value for it.
std::string format_record(const Record& rec);

/// Reads one record from its text form (the first line and any
/// continuation lines, as format_record writes them). Returns false when
/// the text is not a record.
bool parse_record(const std::vector<std::string>& lines, Record& rec);

/// Reads a whole file of records; the diagnostic lines of pass 1 read back
/// as records too. Throws std::runtime_error naming the line when the text
/// holds something that is not a record.
std::vector<Record> read_records(std::istream& in);

class IntermediateFile {
 public:
  /// Starts a new job: pass 1 writes from the start.
  void rewrite() {
    records_.clear();
    lines_.clear();
  }
  void write(const Record& rec) {
    records_.push_back(rec);
    lines_.push_back(source_line);
  }
  /// Adds a diagnostic line (109 columns) as the record it reads back as;
  /// a line whose numbers cannot be read keeps its tag and text, with 0 for
  /// those numbers.
  void write_text(std::string_view line);

  /// Line of the source file that record i comes from (the statement that
  /// made it); 0 when not known. Not part of the text form.
  long long line_of(std::size_t i) const { return i < lines_.size() ? lines_[i] : 0; }
  /// The source line that records written from now on come from.
  long long source_line = 0;

  const std::vector<Record>& records() const { return records_; }
  std::vector<Record>& records() { return records_; }

  /// Writes the text form of every record, one after another.
  void save(std::ostream& out) const;

 private:
  std::vector<Record> records_;
  std::vector<long long> lines_;
};

}  // namespace velumar
