#!/usr/bin/env bash
# Runs the browser tests (e2e/*.test.mjs): each test file starts the demo server
# it needs on a free loopback port and drives Debian's chromium through
# playwright-core. Needs a build (the demo) and scripts/setup.sh (web root,
# node packages, chromium).
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
export ZQ_DEMO_BIN="$PWD/$build/demo/zq_demo"
export ZQ_WEBROOT="$PWD/webroot"
missing=""
[ -x "$ZQ_DEMO_BIN" ] || missing+=" the demo ($ZQ_DEMO_BIN: build first)"
[ -x /usr/bin/chromium ] || missing+=" /usr/bin/chromium (scripts/setup.sh installs it)"
[ -d e2e/node_modules/playwright-core ] || missing+=" e2e/node_modules (scripts/setup.sh runs npm ci)"
[ -f webroot/zq.runtime.min.js ] || missing+=" webroot/zq.runtime.min.js (scripts/setup.sh runs webroot/setup.sh)"
if [ -n "$missing" ]; then
  echo "e2e: missing:$missing" >&2
  exit 1
fi
cd e2e
# Bounded: a browser or server that hangs fails the run instead of stalling it.
timeout --kill-after=30 1200 node --test --test-concurrency=1 ./*.test.mjs
