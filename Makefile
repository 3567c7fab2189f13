# Build wrapper around CMake. A newcomer needs two commands:
#   make test   configure, build and run every test
#   make demo   build, assemble examples/hello.s and, when SimH is
#               installed, run it on a simulated 1401 (velumar-run)
# Further targets: make (build only), make asan (tests under the address
# and undefined-behaviour sanitizers, in build-asan/), make fuzz (the
# libFuzzer targets with clang, in build-fuzz/; FUZZ_SECONDS=N stops them
# after N seconds in all, 0 runs the assembler's until a finding; make
# fuzz-lsp fuzzes the language server alone), make clean,
# make install PREFIX=dir (default /usr/local).

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 0
FUZZ_FLAGS ?=
JOBS       ?= 2
CMAKE_ARGS ?=
PREFIX     ?= /usr/local

# Keeps the nested makes that CMake runs from announcing every directory.
MAKEFLAGS += --no-print-directory

DEMO_DIR := $(BUILD)/demo
DEMO_SRC := examples/hello.s

.PHONY: all build velumar test demo asan install bench fuzz fuzz-lsp fuzz-lsp-run clean

all: build

build:
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS)

# The assembler alone, without the tests.
velumar:
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) --target velumar -j$(JOBS)

# Without SimH the tests that run programs on the simulated 1401 are
# skipped; ctest still counts them as passed, so say so plainly.
SIMH_NOTE = command -v i1401 >/dev/null 2>&1 || \
  echo "NOTE: i1401 (SimH) is not installed: the tests that run programs on the simulated 1401 were SKIPPED. Install the Debian package simh (apt-get install simh) to run them."

test: build
	@status=0; cd $(BUILD) && ctest --output-on-failure -j$(JOBS) || status=$$?; \
	  $(SIMH_NOTE); exit $$status

# Assembles the sample and runs it on a simulated 1401 through velumar-run,
# keeping its files in $(DEMO_DIR); shows the listing, then what velumar-run
# wrote. Without SimH the assembly still happens and the demo says how to
# install SimH.
demo: velumar
	@cmake --build $(BUILD) --target velumar-run tape2simh -j$(JOBS)
	@mkdir -p $(DEMO_DIR)
	@echo "== $(BUILD)/velumar-run --keep $(DEMO_DIR) $(DEMO_SRC)"
	@status=0; $(BUILD)/velumar-run --keep $(DEMO_DIR) $(DEMO_SRC) \
	    > $(DEMO_DIR)/run.out 2> $(DEMO_DIR)/run.err || status=$$?; \
	  echo "== listing ($(DEMO_DIR)/hello.lst)"; cat $(DEMO_DIR)/hello.lst; \
	  echo "== velumar-run, standard error (exit status $$status)"; cat $(DEMO_DIR)/run.err; \
	  if [ $$status -eq 127 ]; then \
	    echo "== i1401 not found: install SimH (Debian package simh: sudo apt-get install simh)"; \
	    echo "   to see the program run on a simulated 1401"; \
	    exit 0; \
	  fi; \
	  echo "== velumar-run, standard output: what the simulated 1401 printed"; cat $(DEMO_DIR)/run.out; \
	  exit $$status

asan:
	cmake -S . -B $(ASAN_BUILD) -DVELUMAR_SANITIZE=ON -DVELUMAR_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)
	@$(SIMH_NOTE)

# velumar, velumar-run, tape2simh, the manual page and the documents.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Optimised as users build it (-O2), without the tests. BENCH_CORPORA
# picks corpora by name (all by default), RUNS the runs per measurement.
bench:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" $(CMAKE_ARGS)
	cmake --build $(BENCH_BUILD) --target velumar velumar_corpus velumar_bench -j$(JOBS)
	bench/run.sh $(BENCH_BUILD) $(BENCH_CORPORA)
	bench/instructions.sh $(BENCH_BUILD)
	$(BENCH_BUILD)/velumar_bench --benchmark_min_time=0.2

# Two targets: the whole assembler (velumar_fuzz) and the language
# server's message handling (velumar_lsp_fuzz); FUZZ_SECONDS is shared
# between them, half each (0: the assembler alone, until a finding; the
# server alone with make fuzz-lsp).
# Seeds of the assembler: every example and golden deck, once with no
# options and once with listing, deck and tape (the first three bytes of an
# input are options); of the server: the same decks as documents asked
# every request (first byte 2) and as a raw client stream (first byte 0).
# The corpora grow in $(FUZZ_BUILD)/corpus and corpus-lsp; a finding is
# written as crash-*, timeout-* or oom-* in the working directory and fails the run.
FUZZ_HALF = $(shell expr $(FUZZ_SECONDS) / 2)
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DVELUMAR_FUZZ=ON -DVELUMAR_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) --target velumar_fuzz velumar_lsp_fuzz -j$(JOBS)
	@mkdir -p $(FUZZ_BUILD)/seeds $(FUZZ_BUILD)/corpus
	@for f in examples/*.s tests/golden/*.s; do \
	  n=$$(basename $$f .s); \
	  { printf '\000\000\000'; cat $$f; } > $(FUZZ_BUILD)/seeds/$$n-plain; \
	  { printf '\000\000\007'; cat $$f; } > $(FUZZ_BUILD)/seeds/$$n-outputs; \
	done
	$(FUZZ_BUILD)/velumar_fuzz -dict=fuzz/mnemonics.dict -max_len=2048 -timeout=20 \
	  -rss_limit_mb=2560 -max_total_time=$(if $(filter 0,$(FUZZ_SECONDS)),0,$(FUZZ_HALF)) -print_final_stats=1 $(FUZZ_FLAGS) \
	  $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/seeds
	@if [ "$(FUZZ_SECONDS)" != 0 ]; then $(MAKE) fuzz-lsp-run FUZZ_SECONDS=$(FUZZ_HALF); fi

fuzz-lsp:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DVELUMAR_FUZZ=ON -DVELUMAR_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) --target velumar_lsp_fuzz -j$(JOBS)
	@$(MAKE) fuzz-lsp-run

fuzz-lsp-run:
	@mkdir -p $(FUZZ_BUILD)/seeds-lsp $(FUZZ_BUILD)/corpus-lsp
	@for f in examples/*.s; do \
	  n=$$(basename $$f .s); \
	  { printf '\002'; head -c 1500 $$f; } > $(FUZZ_BUILD)/seeds-lsp/$$n-doc; \
	done
	@printf '\000Content-Length: 68\r\n\r\n{"jsonrpc":"2.0","id":7,"method":"shutdown","params":null,"x":[1,2]}' \
	  > $(FUZZ_BUILD)/seeds-lsp/stream
	$(FUZZ_BUILD)/velumar_lsp_fuzz -dict=fuzz/lsp.dict -max_len=4096 -timeout=20 \
	  -rss_limit_mb=2560 -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_FLAGS) \
	  $(FUZZ_BUILD)/corpus-lsp $(FUZZ_BUILD)/seeds-lsp

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
