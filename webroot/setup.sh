#!/usr/bin/env bash
# Places the client files installed by npm (node_modules/, from package.json and
# its lock file) under the names listed in thirdparty.txt, and minifies our own
# scripts into their ".min" forms. Run by scripts/setup.sh after `npm ci`.
# Idempotent: a file is copied or minified only when its target is missing or
# older than its source, so a second run does nothing.
set -euo pipefail
cd "$(dirname "$0")"

nm=node_modules
manifest=thirdparty.txt
if [ ! -d "$nm" ]; then
  echo "webroot/setup.sh: $nm/ is missing; run 'npm ci' in webroot/ first" >&2
  exit 1
fi

changed=0
# place SOURCE TARGET: copies when TARGET is missing or older than SOURCE.
place() {
  local src=$1 dst=$2
  if [ ! -e "$dst" ] || [ "$src" -nt "$dst" ]; then
    mkdir -p "$(dirname "$dst")"
    cp -p "$src" "$dst"
    changed=$((changed + 1))
  fi
}

# place_tree SOURCE/ TARGET/: copies what is missing or newer in the folder.
place_tree() {
  local src=$1 dst=$2 before after
  mkdir -p "$dst"
  before=$(find "$dst" -type f | wc -l)
  cp -r -u --preserve=timestamps "$src". "$dst"
  after=$(find "$dst" -type f | wc -l)
  changed=$((changed + after - before))
}

ingit=0
git rev-parse --is-inside-work-tree >/dev/null 2>&1 && ingit=1

# Third-party files, as the manifest lists them.
declare -A served=()
minify=()
lineno=0
while IFS= read -r line || [ -n "$line" ]; do
  lineno=$((lineno + 1))
  line=${line%%#*}
  read -r src dst extra <<<"$line" || true
  [ -z "${src:-}" ] && continue
  if [ -z "${dst:-}" ] || { [ -n "${extra:-}" ] && [ "$extra" != "+min" ]; } || [[ "$src" == *..* ]] || [[ "$dst" == *..* ]] || [[ "$dst" == /* ]]; then
    echo "webroot/setup.sh: $manifest:$lineno: expected '<npm path> <served name>'" >&2
    exit 1
  fi
  if [[ "$src" == *,* ]]; then
    # A comma-separated list of files: the served file is their concatenation.
    IFS=, read -r -a parts <<<"$src"
    newest=""
    for part in "${parts[@]}"; do
      [ -e "$nm/$part" ] || { echo "webroot/setup.sh: $manifest:$lineno: $nm/$part is missing (npm ci?)" >&2; exit 1; }
      { [ -z "$newest" ] || [ "$nm/$part" -nt "$newest" ]; } && newest="$nm/$part"
    done
    if [ ! -e "$dst" ] || [ "$newest" -nt "$dst" ]; then
      mkdir -p "$(dirname "$dst")"
      for part in "${parts[@]}"; do cat "$nm/$part"; echo; done >"$dst.tmp"
      mv "$dst.tmp" "$dst"
      changed=$((changed + 1))
    fi
  elif [ ! -e "$nm/$src" ]; then
    echo "webroot/setup.sh: $manifest:$lineno: $nm/$src is missing (npm ci?)" >&2
    exit 1
  elif [[ "$src" == */ ]]; then
    [[ "$dst" == */ ]] || { echo "webroot/setup.sh: $manifest:$lineno: a folder is served as a folder (end both with /)" >&2; exit 1; }
    place_tree "$nm/$src" "$dst"
  else
    place "$nm/$src" "$dst"
  fi
  served[$dst]=1
  [ "${extra:-}" = "+min" ] && minify+=("$dst")
  if [ "$ingit" = 1 ] && ! git check-ignore -q "$dst"; then
    echo "webroot/setup.sh: warning: $dst (from $manifest) is not ignored by git; add it to .gitignore" >&2
  fi
done <"$manifest"

# Client files of our components: components/<name>/webroot/<served name> is
# placed at <served name>; its scripts are minified below like our own.
for f in ../components/*/webroot; do
  [ -d "$f" ] || continue
  while IFS= read -r -d '' src; do
    dst=${src#"$f"/}
    place "$src" "$dst"
    [[ "$dst" == *.js ]] && minify+=("$dst")
    # a stylesheet has one form; its ".min" name links the same rules
    [[ "$dst" == *.css ]] && place "$src" "${dst%.css}.min.css"
  done < <(find "$f" -type f -print0)
done

# The lock indicator's loading animations (5 colours x 20 GIFs) are drawn by
# make-loading-gifs.py; drawn again when the script is newer than the images.
anim=css/loading-animation
if [ ! -e "$anim/red/Loading20.gif" ] || [ make-loading-gifs.py -nt "$anim/red/Loading20.gif" ]; then
  python3 make-loading-gifs.py "$anim"
  changed=$((changed + 100))
fi

# The library stylesheet has one form; its ".min" name links the same rules.
place css/zqcss.css css/zqcss.min.css

# Our own scripts: every tracked NAME.js gets NAME.min.js, minified with terser.
# Outside a git checkout, every NAME.js that is not a served third-party file.
own_scripts() {
  if [ "$ingit" = 1 ]; then
    git ls-files -z -- '*.js' | while IFS= read -r -d '' f; do
      [[ "$f" == *.min.js ]] || printf '%s\0' "$f"
    done
  else
    find . -path ./node_modules -prune -o -path ./ui-themes -prune -o -type f -name '*.js' ! -name '*.min.js' -print0 |
      while IFS= read -r -d '' f; do
        f=${f#./}
        [ -n "${served[$f]:-}" ] || printf '%s\0' "$f"
      done
  fi
}
terser=$nm/.bin/terser
while IFS= read -r -d '' src; do
  dst=${src%.js}.min.js
  if [ ! -e "$dst" ] || [ "$src" -nt "$dst" ]; then
    "$terser" "$src" --compress --mangle --comments '/^!/' --output "$dst.tmp"
    mv "$dst.tmp" "$dst"
    changed=$((changed + 1))
  fi
done < <(own_scripts; for f in "${minify[@]}"; do printf '%s\0' "$f"; done)

if [ "$changed" -gt 0 ]; then
  echo "webroot: $changed file(s) placed or minified"
fi
