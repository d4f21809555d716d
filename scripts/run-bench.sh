#!/usr/bin/env bash
# Runs every benchmark program of a bench build.
set -euo pipefail
build=${1:-build-bench}
shopt -s nullglob
progs=("$build"/bench/*_bench)
[ ${#progs[@]} -eq 0 ] && { echo "bench: no benchmarks"; exit 0; }
for p in "${progs[@]}"; do
  echo "== $(basename "$p")"
  "$p"
done
