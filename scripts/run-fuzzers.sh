#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given seconds, starting from its
# seed corpus in fuzz/corpus/<target>/. Fails when a target finds a crash.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
cd "$(dirname "$0")/.."
shopt -s nullglob
targets=("$build"/fuzz/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets"
  exit 0
fi
for t in "${targets[@]}"; do
  name=$(basename "$t")
  seeds="fuzz/corpus/${name%_fuzz}"
  work="fuzz/corpus-run/${name%_fuzz}"
  mkdir -p "$work"
  args=("$work")
  [ -d "$seeds" ] && args+=("$seeds")
  echo "fuzz: $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "${args[@]}" 2>&1 | tail -n 12
  test "${PIPESTATUS[0]}" -eq 0
done
echo "fuzz: all targets passed"
