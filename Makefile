# Build wrapper around CMake. A newcomer needs two commands:
#   make test   configure, build and run every test
#   make demo   build, assemble examples/hello.s and, when SimH is
#               installed, run the object deck on a simulated 1401
# Further targets: make (build only), make asan (tests under the address
# and undefined-behaviour sanitizers, in build-asan/), make clean,
# make install PREFIX=dir (default /usr/local).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2
CMAKE_ARGS ?=
PREFIX     ?= /usr/local

# Keeps the nested makes that CMake runs from announcing every directory.
MAKEFLAGS += --no-print-directory

DEMO_DIR := $(BUILD)/demo
DEMO_SRC := examples/hello.s

.PHONY: all build velumar test demo asan install clean

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

# Assembles the sample with listing, object deck and tape file, shows the
# listing, then boots the deck in i1401 and shows what the 1401 printed.
demo: velumar
	@mkdir -p $(DEMO_DIR)
	@echo "== $(BUILD)/velumar -l $(DEMO_DIR)/hello.lst -o $(DEMO_DIR)/hello.obj -t $(DEMO_DIR)/hello.tape $(DEMO_SRC)"
	@status=0; $(BUILD)/velumar -l $(DEMO_DIR)/hello.lst -o $(DEMO_DIR)/hello.obj \
	    -t $(DEMO_DIR)/hello.tape $(DEMO_SRC) || status=$$?; \
	  echo "== exit status $$status"; \
	  echo "== listing ($(DEMO_DIR)/hello.lst)"; cat $(DEMO_DIR)/hello.lst; \
	  echo "== object deck ($(DEMO_DIR)/hello.obj)"; cat $(DEMO_DIR)/hello.obj; \
	  test $$status -lt 2
	@if command -v i1401 >/dev/null 2>&1; then \
	  cd $(DEMO_DIR) && rm -f print.txt && \
	  printf 'set cpu oldconversions\nattach cdr hello.obj\nattach lpt print.txt\nboot cdr\nquit\n' > boot.ini && \
	  { timeout 20 i1401 boot.ini < /dev/null > console.txt 2>&1 || true; } && \
	  echo "== SimH console ($(DEMO_DIR)/console.txt)" && grep -v '^$$' console.txt; \
	  echo "== printed by the 1401 ($(DEMO_DIR)/print.txt)"; cat print.txt 2>/dev/null; \
	else \
	  echo "== i1401 not found: install SimH (Debian package simh) to run the deck"; \
	fi

asan:
	cmake -S . -B $(ASAN_BUILD) -DVELUMAR_SANITIZE=ON -DVELUMAR_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)
	@$(SIMH_NOTE)

# velumar, velumar-run, tape2simh, the manual page and the documents.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
