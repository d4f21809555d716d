#!/usr/bin/env bash
# Places the client files installed by npm (node_modules/, from package.json and
# its lock file) under the file names the library links, and minifies our own
# scripts into their ".min" forms. Run by scripts/setup.sh after `npm ci`.
# Idempotent: a file is copied or minified only when its target is missing or
# older than its source, so a second run does nothing.
set -euo pipefail
cd "$(dirname "$0")"

nm=node_modules
if [ ! -d "$nm/jquery" ]; then
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

# jQuery: the host links jq/jquery(.min).js; the design-state name links the same file.
place $nm/jquery/dist/jquery.js          jq/jquery.js
place $nm/jquery/dist/jquery.min.js      jq/jquery.min.js
place $nm/jquery/dist/jquery.js          jq/jquery_ui/jquery-1.8.2.js
place $nm/jquery/dist/jquery.min.js      jq/jquery_ui/jquery-1.8.2.min.js

# jQuery UI under the name the controls link.
place $nm/jquery-ui/dist/jquery-ui.js     jq/jquery_ui/jquery-ui-1.8.23.custom.js
place $nm/jquery-ui/dist/jquery-ui.min.js jq/jquery_ui/jquery-ui-1.8.23.custom.min.js

# Plug-ins of the components, under the names the components link.
place $nm/store/store.js                                  jq/jquery_ui/plugins/store.js
place $nm/store/store.min.js                              jq/jquery_ui/plugins/store.min.js
place $nm/jquery-ui-touch-punch/jquery.ui.touch-punch.js     jq/jquery.ui.touch-punch.js
place $nm/jquery-ui-touch-punch/jquery.ui.touch-punch.min.js jq/jquery.ui.touch-punch.min.js

# Plug-ins every jQuery container links (form, tabbable, throttle-debounce).
place $nm/jquery-form/src/jquery.form.js                  jq/jquery.form.js
place $nm/jquery-form/dist/jquery.form.min.js             jq/jquery.form.min.js
place $nm/jquery.tabbable/jquery.tabbable.js              jq/jquery.tabbable.js
place $nm/jquery.tabbable/jquery.tabbable.min.js          jq/jquery.tabbable.min.js
place $nm/jquery-throttle-debounce/jquery.ba-throttle-debounce.js     jq/jquery_ui/plugins/jquery.ba-throttle-debounce.js
place $nm/jquery-throttle-debounce/jquery.ba-throttle-debounce.min.js jq/jquery_ui/plugins/jquery.ba-throttle-debounce.min.js

# The library stylesheet has one form; its ".min" name links the same rules.
place css/zqcss.css css/zqcss.min.css

# jQuery UI themes: ui-themes/<theme>/jquery-ui(.min).css, theme.css and images/.
# One cp for the whole tree; -u copies only what is missing or newer.
mkdir -p ui-themes
before=$(find ui-themes -type f | wc -l)
cp -r -u --preserve=timestamps $nm/jquery-ui/dist/themes/. ui-themes/
after=$(find ui-themes -type f | wc -l)
changed=$((changed + after - before))

# Our own scripts: every NAME.js outside node_modules/ and outside the copied
# third-party files gets NAME.min.js, minified with terser.
terser=$nm/.bin/terser
while IFS= read -r -d '' src; do
  src=${src#./}
  case "$src" in
    jq/jquery.js|jq/jquery_ui/jquery-*.js) continue ;;
    jq/jquery_ui/plugins/store.js|jq/jquery.ui.touch-punch.js) continue ;;
    jq/jquery.form.js|jq/jquery.tabbable.js|jq/jquery_ui/plugins/jquery.ba-throttle-debounce.js) continue ;;
  esac
  dst=${src%.js}.min.js
  if [ ! -e "$dst" ] || [ "$src" -nt "$dst" ]; then
    "$terser" "$src" --compress --mangle --comments '/^!/' --output "$dst.tmp"
    mv "$dst.tmp" "$dst"
    changed=$((changed + 1))
  fi
done < <(find . -path ./node_modules -prune -o -type f -name '*.js' ! -name '*.min.js' -print0)

if [ "$changed" -gt 0 ]; then
  echo "webroot: $changed file(s) placed or minified"
fi
