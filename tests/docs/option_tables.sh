#!/usr/bin/env bash
# Prints the member tables (property, JSON name, default) of the option classes
# declared in the given headers, read from their one-row-per-member lists
# (X(Kind, Property, "json", default, extra) rows, see options/optionrows.h).
# A doc holds them between "<!-- option tables: HEADER... -->" and
# "<!-- /option tables -->"; tests/docs/check_docs.sh compares the two.
#   tests/docs/option_tables.sh HEADER...          print the tables
#   tests/docs/option_tables.sh --update DOC       rewrite DOC's block
set -euo pipefail

tables() {
  awk '
    function trim(s) { gsub(/^[ \t]+|[ \t]+$/, "", s); return s }
    # One row: kind, property, "json", default (may be a quoted text with
    # commas), extra.
    function row(text,   kind, prop, json, def, extra, rest, i) {
      i = index(text, ","); kind = trim(substr(text, 1, i - 1)); rest = substr(text, i + 1)
      i = index(rest, ","); prop = trim(substr(rest, 1, i - 1)); rest = trim(substr(rest, i + 1))
      i = index(substr(rest, 2), "\""); json = substr(rest, 2, i - 1); rest = trim(substr(rest, i + 2))
      rest = trim(substr(rest, 2))  # the comma after the JSON name
      if (substr(rest, 1, 1) == "\"") {
        i = index(substr(rest, 2), "\""); def = substr(rest, 1, i + 1); rest = substr(rest, i + 2)
      } else {
        i = index(rest, ","); def = trim(substr(rest, 1, i - 1)); rest = substr(rest, i)
      }
      extra = trim(substr(rest, index(rest, ",") + 1))
      if (kind == "Func") def = (def == "\"\"" ? "none, `function()`" : "none, `function(" substr(def, 2, length(def) - 2) ")`")
      else if (kind == "Obj") def = "object `" extra "`"
      else if (kind == "DynObjList" || kind == "SimpleArray") def = "empty list"
      else if (def ~ /^[A-Za-z_][A-Za-z0-9_]*(\(\))?$/ && def != "true" && def != "false") def = "`" def "`"
      if (kind ~ /NoJSon/ || extra ~ /kRowNoJSon/) json = "(not written)"
      else json = "`" json "`"
      return "| `" prop "` | " json " | " def " |"
    }
    /^#define ZQ_[A-Z0-9_]+_ROWS\(X\)/ {
      name = $2; sub(/\(X\)$/, "", name); order[++n] = name; cur = name; rows[name] = ""
      rest = $0; sub(/^#define [A-Z0-9_]+\(X\)/, "", rest)
      if (match(rest, /ZQ_[A-Z0-9_]+_ROWS\(X\)/)) alias[name] = substr(rest, RSTART, RLENGTH - 3)
      cont = ($0 ~ /\\[ \t]*$/)
      next
    }
    cont {
      line = $0; sub(/[ \t]*\\[ \t]*$/, "", line)
      if (match(line, /X\(.*\)/)) rows[cur] = rows[cur] row(substr(line, RSTART + 2, RLENGTH - 3)) "\n"
      cont = ($0 ~ /\\[ \t]*$/)
      next
    }
    /^class TIWZQ[A-Za-z0-9_]+/ { cls = $2 }
    /^  ZQ_OPTION_ROWS\(ZQ_[A-Z0-9_]+_ROWS\)/ {
      m = $0; sub(/.*ZQ_OPTION_ROWS\(/, "", m); sub(/\).*/, "", m); classes[++c] = cls; macro[c] = m
    }
    /^ZQ_EFFECT_OPTIONS_CLASS\(/ {
      m = $0; sub(/^ZQ_EFFECT_OPTIONS_CLASS\(/, "", m); sub(/\).*/, "", m)
      split(m, parts, /, */); classes[++c] = "TIWZQJQEffectOptions" parts[1]; macro[c] = parts[2]
    }
    END {
      for (k = 1; k <= c; k++) {
        m = macro[k]; while (m in alias) m = alias[m]
        printf "%s### `%s`\n\n", (k > 1 ? "\n" : ""), classes[k]
        if (rows[m] == "") { print "No members of its own."; continue }
        print "| Property | JSON | Default |"
        print "|---|---|---|"
        printf "%s", rows[m]
      }
    }
  ' "$@"
}

if [ "${1:-}" = "--update" ]; then
  doc=${2:?doc}
  headers=$(sed -n 's/^<!-- option tables: \(.*\) -->$/\1/p' "$doc")
  [ -n "$headers" ] || { echo "$doc has no option tables block" >&2; exit 1; }
  # shellcheck disable=SC2086
  generated=$(tables $headers)
  GEN="$generated" awk '
    /^<!-- option tables: / { print; print ""; print ENVIRON["GEN"]; print ""; skip = 1; next }
    /^<!-- \/option tables -->$/ { skip = 0 }
    !skip { print }
  ' "$doc" >"$doc.tmp" && mv "$doc.tmp" "$doc"
else
  tables "$@"
fi
