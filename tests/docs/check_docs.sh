#!/usr/bin/env bash
# The component docs keep their promises: every docs/components/<name>.md has
# its properties, events, operations and an example; every image it shows is
# in docs/screenshots/; its option tables (if any) match the headers; the doc
# of a showcase page shows that page's screenshot; the README links every
# component doc; docs/webroot.md names every file of the web root git tracks.
#   tests/docs/check_docs.sh SOURCE_DIR
set -uo pipefail
cd "${1:?source dir}" || exit 2
faults=0
fault() {
  echo "docs: $*"
  faults=$((faults + 1))
}

for doc in docs/components/*.md; do
  for heading in 'Propert' 'Events' 'Operations' 'Example'; do
    grep -qi "^## .*${heading}" "$doc" || fault "$doc has no \"## ...${heading}...\" section"
  done
  while read -r shot; do
    [ -f "docs/screenshots/$shot" ] || fault "$doc shows docs/screenshots/$shot, which does not exist"
  done < <(grep -o '](\.\./screenshots/[^)]*)' "$doc" | sed 's|^](\.\./screenshots/||; s|)$||')
  grep -qF "](${doc})" README.md || fault "README.md does not link $doc"
done

# Option tables in a doc are those its headers declare now.
for doc in docs/components/*.md; do
  headers=$(sed -n 's/^<!-- option tables: \(.*\) -->$/\1/p' "$doc")
  [ -n "$headers" ] || continue
  # shellcheck disable=SC2086
  want=$(bash tests/docs/option_tables.sh $headers)
  have=$(sed -n '/^<!-- option tables: /,/^<!-- \/option tables -->$/p' "$doc" | sed '1d;$d')
  [ "$(sed '/^$/d' <<<"$want")" = "$(sed '/^$/d' <<<"$have")" ] ||
    fault "$doc: the option tables differ from $headers (tests/docs/option_tables.sh --update $doc)"
done

# Each showcase page (ZQDEMO_PAGE(class, "name", order)) has its doc, which shows
# the page's screenshot. The doc is docs/components/<name>.md, unless the page's
# source says "Documented in docs/components/<other>.md" (a second page of a
# component).
for src in demo/pages/*.cpp; do
  name=$(grep -ho 'ZQDEMO_PAGE([^,]*, *"[^"]*"' "$src" | sed 's/.*"\([^"]*\)"$/\1/')
  [ -n "$name" ] || continue
  doc=$(grep -o 'Documented in docs/components/[a-z_]*\.md' "$src" | head -1 | sed 's/^Documented in //')
  [ -n "$doc" ] || doc="docs/components/$name.md"
  if [ ! -f "$doc" ]; then
    fault "the showcase page \"$name\" has no $doc"
  elif ! grep -Eq "\]\(\.\./screenshots/$name(-[a-z0-9-]+)?\.png\)" "$doc"; then
    fault "$doc does not show a screenshot of its page (../screenshots/$name.png or $name-*.png)"
  fi
done

# Every file of the web root that git tracks (our own files and the manifest)
# is named in docs/webroot.md.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while read -r f; do
    rel=${f#webroot/}
    grep -qF "\`$rel\`" docs/webroot.md || fault "docs/webroot.md does not name webroot/$rel"
  done < <(git ls-files webroot | grep -v -e '^webroot/package\(-lock\)\?\.json$' -e '^webroot/setup\.sh$')
fi

[ "$faults" -eq 0 ] || { echo "docs: $faults fault(s)"; exit 1; }
echo "docs: the component docs and the web root doc are complete"
