#!/usr/bin/env bash
# Counts the instructions velumar executes on a fixed corpus (20,000 cards
# of realistic jobs, listing, deck and tape), with valgrind's callgrind: a
# figure that, unlike a time, does not move with the machine's load.
#   bench/instructions.sh BUILD_DIR
# Environment: VELUMAR (the assembler to count, default BUILD_DIR/velumar).
set -euo pipefail

build=${1:?usage: bench/instructions.sh BUILD_DIR}
velumar=${VELUMAR:-$build/velumar}
if ! command -v valgrind > /dev/null; then
  echo "instructions: valgrind not installed, skipped"
  exit 0
fi
mkdir -p "$build/corpus" "$build/bench-out"
file=$build/corpus/fixed-jobs-20k.s
if [[ ! -s $file || $build/velumar_corpus -nt $file ]]; then
  "$build/velumar_corpus" jobs 20000 > "$file.tmp" && mv "$file.tmp" "$file"
fi
out=$build/bench-out
count=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$velumar" -l "$out/L" -o "$out/D" -t "$out/T" "$file" 2>&1 > /dev/null |
  awk '/Collected :/ { print $NF }')
echo "instructions: $count on $(wc -l < "$file") cards ($(awk -v c="$count" -v n="$(wc -l < "$file")" 'BEGIN { printf "%.0f", c / n }') per card), $velumar"
