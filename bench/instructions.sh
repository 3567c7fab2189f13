#!/usr/bin/env bash
# Counts the instructions velumar executes on a fixed corpus (20,000 cards
# of realistic jobs, listing, deck and tape), with valgrind's callgrind: a
# figure that, unlike a time, does not move with the machine's load.
#   bench/instructions.sh BUILD_DIR [FILE...]
# With FILEs (for instance corpora of BUILD_DIR/corpus), counts those instead.
# Environment: VELUMAR (the assembler to count, default BUILD_DIR/velumar).
set -euo pipefail

build=${1:?usage: bench/instructions.sh BUILD_DIR}
velumar=${VELUMAR:-$build/velumar}
if ! command -v valgrind > /dev/null; then
  echo "instructions: valgrind not installed, skipped"
  exit 0
fi
shift
mkdir -p "$build/corpus" "$build/bench-out"
out=$build/bench-out
files=("$@")
if ((${#files[@]} == 0)); then
  files=("$build/corpus/fixed-jobs-20k.s")
  if [[ ! -s ${files[0]} || $build/velumar_corpus -nt ${files[0]} ]]; then
    "$build/velumar_corpus" jobs 20000 > "${files[0]}.tmp" && mv "${files[0]}.tmp" "${files[0]}"
  fi
fi
echo "instructions executed by $velumar (callgrind):"
for file in "${files[@]}"; do
  cards=$(wc -l < "$file")
  count=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$velumar" -l "$out/L" -o "$out/D" -t "$out/T" "$file" 2>&1 > /dev/null |
    awk '/Collected :/ { print $NF }')
  awk -v f="$(basename "$file")" -v c="$count" -v n="$cards" 'BEGIN { printf "  %-22s %8d cards %14.0f instructions %8.0f per card\n", f, n, c, c / n }'
done
