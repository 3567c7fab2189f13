#include "ir/intermediate.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/text.h"
#include "ir/operand_test_support.h"
#include "ir/record_test_support.h"

namespace velumar {

// Failures show records in their text form.
void PrintTo(const Record& rec, std::ostream* os) { *os << "\n[" << format_record(rec) << "]"; }

namespace {


Record statement(int n_ops) {
  Record r;
  r.card = pad("     START MCW  A,B'@,;X", 80);
  r.label = 3;
  r.location = 333;
  r.width = 7;
  r.flag = '9';
  for (int k = 1; k <= n_ops; ++k)
    r.operands.push_back(opnd(OperandKind::Symbolic, k, -k, '1', "A,", "NAME" + std::to_string(k)));
  return r;
}

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(IntermediateRecord, LayoutOfFixedFieldsAndGroups) {
  std::string none = format_record(statement(0));
  ASSERT_EQ(none.size(), 110u);
  EXPECT_EQ(none.substr(85), "     3   333     79     0");
  EXPECT_EQ(format_record(statement(3)).size(), 191u);
  std::string four = format_record(statement(4));
  ASSERT_EQ(four.size(), 218u);
  EXPECT_EQ(four.substr(110, 27), "     1    12    -1A,1NAME1 ");
  // Groups beyond the fourth continue on further lines, four to a line.
  auto lines = split(format_record(statement(9)));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 218u);
  EXPECT_EQ(lines[1].size(), 4 * 27u);
  EXPECT_EQ(lines[2], "     9    12    -9A,1NAME9 ");
}

TEST(IntermediateRecord, RoundTripKeepsEveryField) {
  Record r = statement(2);
  r.kind = RecordKind::AddressConstant;
  r.label.reset();
  r.origin = 15999;  // explicit address from a numeric label: no label index
  r.location = -60000;
  r.width = 999999;
  r.flag = ' ';
  r.operands[0] = x00(opnd(OperandKind::AddrCon, -30000, 0));
  r.operands[1] = opnd(OperandKind::Other, -99999, 0, '@', "\"'", "%U1,';");
  for (const Record& rec : {statement(0), statement(4), statement(5), statement(9), r}) {
    Record back;
    ASSERT_TRUE(parse_record(split(format_record(rec)), back));
    EXPECT_EQ(back, rec);
  }
  // Every kind has a tag of its own that reads back as that kind.
  for (int k = 0; k <= static_cast<int>(RecordKind::Warning); ++k) {
    const auto kind = static_cast<RecordKind>(k);
    EXPECT_EQ(record_tag(kind).size(), 5u);
    EXPECT_EQ(record_kind(record_tag(kind)), kind) << record_tag(kind);
  }
}

TEST(IntermediateRecord, AbsentLabelsAndSymbolsKeepTheirTextForm) {
  // The text form writes a missing label as 0, an EQU with a blank label as
  // -1 and an origin as its negative; the store keeps each state apart.
  struct Case {
    std::optional<int> label;
    bool unnamed_equ;
    std::optional<int> origin;
    std::string_view column;
  };
  const Case cases[] = {{7, false, std::nullopt, "     7"},
                        {std::nullopt, false, std::nullopt, "     0"},
                        {std::nullopt, true, std::nullopt, "    -1"},
                        {std::nullopt, false, 15, "   -15"}};
  RecordStore store;
  for (const Case& c : cases) {
    Record r = statement(1);
    r.label = c.label;
    r.unnamed_equ = c.unnamed_equ;
    r.origin = c.origin;
    EXPECT_EQ(format_record(r).substr(85, 6), c.column);
    store.append(r, 1);
    EXPECT_EQ(store.record(store.size() - 1), r);
  }
  // An address constant that names no symbol writes -1 as its number.
  for (const std::optional<int> symbol : {std::optional<int>(4), std::optional<int>()}) {
    Operand o = opnd(OperandKind::AddrCon, 0);
    o.set_constant_symbol(symbol);
    EXPECT_EQ(o.constant_symbol(), symbol);
    Record r = statement(0);
    r.operands = {o};
    Record back;
    ASSERT_TRUE(parse_record(split(format_record(r)), back));
    EXPECT_EQ(back.operand(1).constant_symbol(), symbol);
    EXPECT_EQ(back.operand(1).raw_value(), symbol.value_or(-1));
  }
}

TEST(IntermediateRecord, DiagnosticRecordReadsBackAndKeepsItsColumns) {
  // The record pass 1 keeps is also the 109-column line written to
  // standard output: its text form reads back as the same record.
  auto message = [](DiagId id, int statement, std::optional<int> field, std::initializer_list<std::string_view> args) {
    Diagnostic d = diagnose(id, args);
    d.statement = statement;
    d.field = field;
    return d;
  };
  const std::string long_name(80, 'M');
  const Diagnostic fitting[] = {
      message(DiagId::JunkAfterLabel, 42, std::nullopt, {}),
      message(DiagId::OperandMissing, 999999, 3, {}),
      message(DiagId::MustBeLast, 1, std::nullopt, {long_name}),
  };
  for (const Diagnostic& d : fitting) {
    const Record rec = diagnostic_record(d);
    const std::string line = format_record(rec);
    EXPECT_EQ(line.size(), 109u);
    EXPECT_EQ(line.substr(0, 13), (d.severity == Severity::Warning ? "WARN " : "ERROR") + std::string("******* "));
    EXPECT_EQ(format_record(diagnostic_record(d, false)), line);
    Record back;
    ASSERT_TRUE(parse_record({line}, back)) << line;
    EXPECT_EQ(back, rec);
    EXPECT_EQ(rec.location, d.statement);
    EXPECT_EQ(rec.width, d.field.value_or(0));
  }
  // A statement number beyond six columns cannot be kept: the record holds
  // 0 there, and its text form stays readable; standard output shows it as
  // asterisks.
  const Diagnostic huge = message(DiagId::OperandMissing, 1000000, 2, {});
  const Record big = diagnostic_record(huge);
  EXPECT_EQ(big.kind, RecordKind::Error);
  EXPECT_EQ(big.card, pad("******* Operand missing", 80));
  EXPECT_EQ(big.location, 0);
  EXPECT_EQ(big.width, 2);
  Record back;
  EXPECT_TRUE(parse_record({format_record(big)}, back));
  EXPECT_EQ(format_record(diagnostic_record(huge, false)).substr(91, 6), "******");
}

TEST(IntermediateRecord, UnreadableTextIsRefusedNeverMisread) {
  // Values beyond 6 columns keep the columns aligned and cannot be read back.
  Record big = statement(1);
  big.location = 1234567;
  big.operands[0].offset = -100000;
  std::string text = format_record(big);
  ASSERT_EQ(text.size(), 137u);
  EXPECT_EQ(text.substr(91, 6), "******");
  EXPECT_EQ(text.substr(122, 6), "******");
  Record rec;
  EXPECT_FALSE(parse_record({text}, rec));

  std::string good = format_record(statement(1));
  std::string neg_count = format_record(statement(0));
  neg_count.replace(104, 6, "    -1");
  std::string bad_kind = good;
  bad_kind.replace(116, 6, "    13");  // no operand kind has this number
  for (const auto& lines : std::vector<std::vector<std::string>>{
           {}, {good.substr(0, 100)}, {good.substr(0, 120)}, {good + "X"}, {good, "extra"}, {neg_count}, {bad_kind},
           {split(format_record(statement(5)))[0]}, {"XYZZY" + good.substr(5)}, {"gen  " + good.substr(5)}})
    EXPECT_FALSE(parse_record(lines, rec)) << (lines.empty() ? "" : lines[0]);

  // Blanks cut off the end of a line, or inside a number, count as nothing.
  Record blank_label = statement(1);
  blank_label.operands[0] = opnd(OperandKind::Symbolic, 1, -1);
  ASSERT_TRUE(parse_record({std::string(rtrim(format_record(blank_label)))}, rec));
  EXPECT_EQ(rec, blank_label);
  std::string spaced = format_record(statement(0));
  spaced.replace(91, 6, " 3 3 3");
  ASSERT_TRUE(parse_record({spaced}, rec));
  EXPECT_EQ(rec.location, 333);
}

TEST(IntermediateFile, SaveAndReadBackAJob) {
  IntermediateFile file;
  Diagnostic missing = diagnose(DiagId::OperandMissing).in_field(2);
  missing.statement = 7;
  file.write(diagnostic_record(missing));
  file.write(statement(2));
  file.write(statement(6));
  std::ostringstream saved;
  file.save(saved);
  EXPECT_EQ(split(saved.str()).size(), 4u);
  EXPECT_EQ(split(saved.str())[0].size(), 109u);  // a diagnostic keeps its own width
  std::istringstream in(saved.str());
  EXPECT_EQ(read_records(in), all_records(file.records()));

  std::istringstream cut(format_record(statement(6)).substr(0, 218));
  EXPECT_THROW(read_records(cut), std::runtime_error);
  Record r = statement(1);
  EXPECT_EQ(r.operand(1).symbol(), 1);
  EXPECT_EQ(r.operand(2), Operand{});
  EXPECT_EQ(r.operand(0), Operand{});
}

TEST(RecordStore, GivesBackEveryRecordAsWritten) {
  // Cards of every length, with and without trailing blanks, and operand
  // lists of several lengths, written one after another: each record must
  // come back whole, its card padded to 80 columns again.
  RecordStore store;
  std::vector<Record> written;
  std::vector<long long> lines;
  for (int round = 0; round < 2; ++round) {
    store.clear();
    written.clear();
    lines.clear();
    for (int i = 0; i < 200; ++i) {
      Record r = statement(i % 6);
      r.kind = static_cast<RecordKind>(i % 12);
      std::string text(static_cast<std::size_t>(i % 90), static_cast<char>('A' + i % 26));
      if (i % 3 == 0 && !text.empty()) text.back() = ' ';
      if (i % 5 == 1 && text.size() > 12) text.replace(2, 10, 10, ' ');  // blanks inside the card stay
      r.card = text;  // longer than 80: cut, as on a card
      r.origin = i % 7 == 0 ? std::optional(i + 1) : std::nullopt;
      r.literal = i % 4 == 0 ? std::optional(i + 1) : std::nullopt;
      r.location = i * 37 - 3000;
      lines.push_back(i % 50 == 0 ? -5 : i * 1000003LL);
      store.append(r, lines.back());
      written.push_back(r);
    }
  }
  store.append(statement(0), 1LL << 40);
  ASSERT_EQ(store.size(), written.size() + 1);
  for (std::size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(store.record(i), written[i]) << i;
    EXPECT_EQ(store[i].text, rtrim(written[i].card)) << i;
    EXPECT_EQ(store.line_of(i), std::max(lines[i], 0LL)) << i;
  }
  EXPECT_EQ(store.line_of(written.size()), 4294967295LL);  // saturated, not wrapped
  EXPECT_EQ(store.line_of(written.size() + 1), 0);
}

}  // namespace
}  // namespace velumar
