#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian 12 machine: compilers and
# libraries from Debian's packages, and the client files from the npm registry.
# Safe to run again: it only installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

APT_PACKAGES=(
  build-essential cmake g++ clang libclang-rt-14-dev ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  rapidjson-dev nlohmann-json3-dev libboost-dev libpng-dev libcpp-httplib-dev
  nodejs npm chromium chromium-driver nginx-light python3
)

missing=()
for p in "${APT_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# npm may come with the machine's own Node.js rather than from Debian's packages.
if command -v npm >/dev/null 2>&1; then
  missing=("${missing[@]/npm/}")
fi
if command -v node >/dev/null 2>&1; then
  missing=("${missing[@]/nodejs/}")
fi
# The web root's image generator needs any Python 3, not Debian's in particular.
if command -v python3 >/dev/null 2>&1; then
  missing=("${missing[@]/python3/}")
fi
pkgs=()
for p in "${missing[@]}"; do [ -n "$p" ] && pkgs+=("$p"); done
if [ ${#pkgs[@]} -gt 0 ]; then
  echo "setup: installing ${pkgs[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${pkgs[@]}"
fi

# Client files (web root) and browser-test driver, pinned by their lock files.
for dir in webroot e2e; do
  if [ -f "$dir/package.json" ]; then
    stamp="$dir/node_modules/.zq-installed"
    if [ ! -f "$stamp" ] || [ "$dir/package-lock.json" -nt "$stamp" ]; then
      (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
      touch "$stamp"
    fi
  fi
done
if [ -x webroot/setup.sh ]; then
  webroot/setup.sh
fi
