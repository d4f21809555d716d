#!/usr/bin/env bash
# Installs the library from a build tree into a scratch prefix, builds
# examples/hello against the installed package (nothing from this tree on its
# include path), starts it on 127.0.0.1 and fetches its page and every script
# the page links.
#   scripts/check-install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scratch=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
cmake -S examples/hello -B "$scratch/hello" -DCMAKE_PREFIX_PATH="$scratch/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$scratch/hello" -j"$(nproc)" >/dev/null

"$scratch/hello/hello" --port 0 >"$scratch/out.txt" 2>&1 &
pid=$!
url=""
for _ in $(seq 1 100); do
  url=$(grep -o 'http://127.0.0.1:[0-9]*/' "$scratch/out.txt" || true)
  [ -n "$url" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$scratch/out.txt"; echo "check-install: hello exited"; exit 1; }
  sleep 0.1
done
[ -n "$url" ] || { echo "check-install: hello did not start"; exit 1; }
page=$(curl -fsS --max-time 10 "$url")
for want in 'id="BTNHELLO"' 'Not clicked yet' 'zq.runtime' 'id="CHARTHELLO"' 'jqplot'; do
  if ! grep -qi -- "$want" <<<"$page"; then
    echo "check-install: the page lacks $want"; exit 1
  fi
done
# Every script the page links (the runtime, jQuery, the chart's jqPlot files)
# is served from the installed web root.
scripts=$(grep -o 'src="/[^"]*"' <<<"$page" | sed 's/^src="//; s/"$//')
grep -q 'zq\.runtime' <<<"$scripts" || { echo "check-install: the page links no runtime"; exit 1; }
grep -q 'jqplot\.barRenderer' <<<"$scripts" || { echo "check-install: the page links no jqPlot bar renderer"; exit 1; }
while read -r src; do
  curl -fsS --max-time 10 -o /dev/null "${url%/}$src" || { echo "check-install: $src is not served"; exit 1; }
done <<<"$scripts"
echo "check-install: examples/hello built against the installed package and served $url"
