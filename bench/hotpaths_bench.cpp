// The per-card paths of the assembler, one at a time: reading cards,
// lexing and parsing operands, placing fields on object cards and tape
// records, and printing listing lines. Items are cards or fields, so the
// figures compare with the cards per second of a whole run.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "core/text.h"
#include "output/listing.h"
#include "output/object_deck.h"
#include "output/tape_file.h"

namespace velumar {
namespace {

// Source cards as a program has them: instructions with symbols, literals
// and index registers, remarks, comments.
const std::vector<std::string>& sample_cards() {
  static const std::vector<std::string> cards = [] {
    const char* lines[] = {
        "     START     CS   332                 CLEAR THE PRINT AREA",
        "               MCW  @TOTAL@,D00032",
        "               ZA   D0002F,D00016       GROSS PAY",
        "     L00001    A    &794,D0002B",
        "               MCW  0&X1,321",
        "     * RATE ROUTINE R00004",
        "               BCE  R00003,D0000L,A     LINE PAGE",
        "               C    D00004,D0000M&3",
        "     D00005    DCW  @STOCK@",
        "               S    -34,D0000O",
    };
    std::vector<std::string> v;
    for (const char* l : lines) v.emplace_back(l);
    return v;
  }();
  return cards;
}

void BM_ReadCards(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += sample_cards()[static_cast<std::size_t>(i) % sample_cards().size()] + "\n";
  std::string line;
  for (auto _ : state) {
    std::istringstream in(text);
    SourceReader reader(&in);
    while (reader.read_line(line) == 0) benchmark::DoNotOptimize(line.data());
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ReadCards);

// Every token of the operand field, as pass 1 walks it.
void BM_LexOperands(benchmark::State& state) {
  std::ostringstream out;
  Context ctx(out);
  std::vector<std::string> cards;
  for (const std::string& c : sample_cards()) cards.push_back(pad(c, 80));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& card = cards[i++ % cards.size()];
    const std::string_view field = std::string_view(card).substr(0, 80);
    int start = 21, end = 0;
    while (start <= 80 && ctx.lexer.lex(field, start, end) != Token::Done) start = end + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LexOperands);

// Operands of one card into the operand list, symbols and literals entered.
void BM_ParseOperands(benchmark::State& state) {
  std::ostringstream out;
  Context ctx(out);
  ctx.symtab.init_sym_table();
  ctx.literals.init_lit_table();
  std::vector<std::string> cards;
  for (const std::string& c : sample_cards())
    if (col(c, 6) != '*') cards.push_back(pad(c, 80));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& card = cards[i++ % cards.size()];
    ctx.parser.operands().count = 0;
    int pos = 21, status = 0;
    do ctx.parser.parse(card, pos, status, 1);
    while (status == 0);
    // Literals accumulate as in a program; a pool empties the table now and then.
    if (ctx.literals.count() > 500) ctx.literals.init_lit_table();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseOperands);

// The writers of pass 3, one at a time: fields of instruction size laid
// one after the other.
std::ostringstream& drained(std::ostringstream& sink) {
  if (sink.tellp() > (1 << 20)) sink.str("");
  return sink;
}

void BM_ObjectCardFields(benchmark::State& state) {
  std::ostringstream sink;
  ObjectDeck deck(&sink, {}, nullptr);
  int at = 333;
  for (auto _ : state) {
    if (at > 15000) at = 333;
    deck.place("M0D5A33", true, at);
    at += 7;
    drained(sink);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObjectCardFields);

void BM_TapeFields(benchmark::State& state) {
  std::ostringstream sink;
  TapeFile tape(&sink);
  int at = 333;
  for (auto _ : state) {
    if (at > 15000) at = 333;
    tape.field("M0D5A33", true, at, "MCW  @TOTAL@,D00032");
    at += 7;
    drained(sink);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TapeFields);

// One statement line of the listing: card, location, instruction, width.
void BM_ListingLine(benchmark::State& state) {
  std::ostringstream sink;
  ListingWriter listing(&sink, 53, false);
  const std::string card = pad(sample_cards()[1], 80);
  ListedStatement line{.seq = 101, .card = card, .tag = "     "};
  line.fields = {.width = 7, .location = 1234, .instruction = "M 0D5 A33"};
  for (auto _ : state) {
    listing.statement(line);
    drained(sink);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListingLine);

}  // namespace
}  // namespace velumar
