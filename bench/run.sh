#!/usr/bin/env bash
# Measures velumar on the benchmark corpora beside awk copying the same
# cards into listing-width lines, in the same run:
#   bench/run.sh BUILD_DIR [CORPUS...]
# BUILD_DIR holds velumar and velumar_corpus; the corpora are generated
# once into BUILD_DIR/corpus and kept. With no CORPUS names, all of them.
# Environment: VELUMAR (the assembler to measure, default BUILD_DIR/velumar),
# RUNS (runs of each command, the best counts; default 3), REFERENCE (another
# velumar build: each corpus is assembled by it too and every output byte,
# standard output and the exit status compared).
set -euo pipefail

build=${1:?usage: bench/run.sh BUILD_DIR [CORPUS...]}
shift
velumar=${VELUMAR:-$build/velumar}
runs=${RUNS:-3}
corpus_dir=$build/corpus
out=$build/bench-out
mkdir -p "$corpus_dir" "$out"

# name: generator arguments
declare -A args=(
  [a-jobs-1M]="jobs 1000000"
  [b-symbols-1k]="symbols 1000"
  [b-symbols-10k]="symbols 10000"
  [b-symbols-100k]="symbols 100000"
  [c-literals-100k]="literals 100000"
  [d-tiny-10k]="tiny 10000"
  [e-chain-1k]="chain 1000"
  [e-chain-10k]="chain 10000"
  [e-chain-100k]="chain 100000"
)
order=(a-jobs-1M b-symbols-1k b-symbols-10k b-symbols-100k c-literals-100k d-tiny-10k e-chain-1k e-chain-10k e-chain-100k)
if (($# > 0)); then order=("$@"); fi

# Best wall time in seconds (and the peak resident memory of that run in
# kB) of `n` runs of the command.
best_of() {
  local best="" mem="" start end t m
  for ((i = 0; i < n; i++)); do
    start=$EPOCHREALTIME
    /usr/bin/time -f %M -o "$out/mem" "$@" > /dev/null 2>&1 || true
    end=$EPOCHREALTIME
    t=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
    m=$(tail -n 1 "$out/mem")
    if [[ -z $best ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then
      best=$t
      mem=$m
    fi
  done
  echo "$best $mem"
}

echo "velumar: $velumar; best of $runs runs (five times as many below 20,000 cards); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-16s %9s %9s %11s %8s %8s %7s\n' corpus cards velumar-s cards/s peak-MB awk-s ratio
for name in "${order[@]}"; do
  file=$corpus_dir/$name.s
  if [[ ! -s $file || $build/velumar_corpus -nt $file ]]; then
    # shellcheck disable=SC2086
    "$build/velumar_corpus" ${args[$name]} > "$file.tmp" && mv "$file.tmp" "$file"
  fi
  cards=$(wc -l < "$file")
  # Small corpora take milliseconds: more runs, so that the best is not noise.
  n=$((cards < 20000 ? 5 * runs : runs))
  if [[ -n ${REFERENCE:-} ]]; then
    for v in "$velumar" "$REFERENCE"; do
      s=0
      rm -f "$out/L" "$out/D" "$out/T"
      "$v" -l "$out/L" -o "$out/D" -t "$out/T" "$file" > "$out/O" 2>&1 || s=$?
      echo "$s" >> "$out/O"
      cksum "$out/L" "$out/D" "$out/T" "$out/O" 2>&1
    done | sort | uniq -c | awk -v n="$name" 'END { if (NR != 4) { print n ": outputs differ from the reference"; exit 1 } }'
  fi
  read -r vt vm < <(best_of "$velumar" -l "$out/L" -o "$out/D" -t "$out/T" "$file")
  read -r at _ < <(best_of awk '{printf "%-132s\n", $0}' "$file")
  awk -v n="$name" -v c="$cards" -v vt="$vt" -v vm="$vm" -v at="$at" 'BEGIN {
    printf "%-16s %9d %9.3f %11.0f %8.1f %8.3f %7.2f\n", n, c, vt, c / (vt > 0 ? vt : 1e-9), vm / 1024, at, vt / (at > 0 ? at : 1e-9)
  }'
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
