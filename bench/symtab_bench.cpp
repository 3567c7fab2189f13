// Cost of entering and looking up symbols as the table grows: with the name
// index the time per operation stays flat from a thousand symbols to a
// hundred thousand.
#include <benchmark/benchmark.h>

#include <string>

#include "ir/operand.h"
#include "tables/symtab.h"

namespace velumar {
namespace {

// Distinct 6-character names built from letters and digits, packed side by
// side so that fetching a name costs the benchmark little beside the table.
class Names {
 public:
  explicit Names(int count) : count_(static_cast<std::size_t>(count)) {
    constexpr std::string_view chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    text_.reserve(6 * count_);
    for (std::size_t i = 0; i < count_; ++i) {
      text_.push_back('S');
      for (std::size_t c = 0, v = i; c < 5; ++c, v /= 36) text_.push_back(chars[v % 36]);
    }
  }
  std::size_t size() const { return count_; }
  std::string_view operator[](std::size_t i) const { return std::string_view(text_).substr(6 * (i % count_), 6); }

 private:
  std::size_t count_;
  std::string text_;
};

// One reference enter and one lookup against a table of range(0) symbols.
void BM_EnterLookup(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  const Names names(size);
  SymbolTable table;
  table.init_sym_table();
  for (std::size_t i = 0; i < names.size(); ++i) table.enter(names[i], static_cast<int>(i), 0);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.enter(names[i], std::nullopt, 0));
    benchmark::DoNotOptimize(table.lookup(names[i * 7919]));
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EnterLookup)->RangeMultiplier(10)->Range(1000, 100000);

// Filling an empty table with range(0) new symbols: time per symbol is flat.
void BM_Fill(benchmark::State& state) {
  const Names names(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    SymbolTable table;
    table.init_sym_table();
    for (std::size_t i = 0; i < names.size(); ++i) benchmark::DoNotOptimize(table.enter(names[i], 1, 0));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Fill)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velumar
