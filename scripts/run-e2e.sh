#!/usr/bin/env bash
# Runs the browser tests against the demo server that each test file starts.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
export ZQ_DEMO_BIN="$PWD/$build/demo/zq_demo"
export ZQ_WEBROOT="$PWD/webroot"
cd e2e
node --test --test-concurrency=1 ./*.test.mjs
