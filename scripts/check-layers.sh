#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own, or when a folder directly
# under src/ is not a layer. The link order of the libraries catches most upward includes,
# but not a header that needs no linking (inline functions, types, constants), so every
# #include "..." of the project is checked here.
# Usage: check-layers.sh [TREE]  (TREE: a git work tree laid out as this one; default, this one)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The layers, lowest first: a folder may include its own layer and those above it in
# this table, never one below it. One folder a layer; the last row is what sits on top
# of the program without being part of it.
LAYERS='
core         src/core
analysis     src/analysis
setup        src/setup
storage      src/storage
data         src/data
render       src/render
pages        src/pages
devices      src/devices
publish      src/publish
app          src/app
tools/tests  tools tests bench
'

unlisted=()
for dir in src/*/; do
  dir="${dir%/}"
  grep -Eq "[[:space:]]$dir([[:space:]]|\$)" <<<"$LAYERS" || unlisted+=("$dir")
done
if [ ${#unlisted[@]} -gt 0 ]; then
  printf '%s: a folder under src/ that is not a layer of scripts/check-layers.sh\n' "${unlisted[@]}"
  exit 1
fi

mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
{
  printf '%s\n' "$LAYERS" | awk 'NF { printf "L"; for (i = 1; i <= NF; i++) printf "\t%s", $i; print "" }'
  printf 'F\t%s\n' "${files[@]}"
  grep -sHn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "${files[@]}" | sed 's/^/I\t/' || true
} | awk -F'\t' '
  # A layer row: its name, then its folders.
  $1 == "L" {
    order = order (nlayers ? " < " : "") $2
    for (i = 3; i <= NF; i++) { folder[$i] = nlayers; name[nlayers] = $2 }
    nlayers++
    next
  }
  $1 == "F" { exists[$2] = 1; next }
  # The layer of a path: the row of its longest folder prefix, -1 outside every layer.
  function layer(path,   f, best, len) {
    best = -1; len = 0
    for (f in folder)
      if ((path == f || index(path, f "/") == 1) && length(f) > len) { best = folder[f]; len = length(f) }
    return best
  }
  function dirname(path) { sub(/\/[^\/]*$/, "", path); return path }
  # "a/b/../c" as "a/c", "a/./c" as "a/c".
  function normal(path,   seg, n, i, out, k) {
    n = split(path, seg, "/"); k = 0
    for (i = 1; i <= n; i++) {
      if (seg[i] == ".") continue
      if (seg[i] == ".." && k > 0 && out[k] != "..") { k--; continue }
      out[++k] = seg[i]
    }
    path = out[1]
    for (i = 2; i <= k; i++) path = path "/" out[i]
    return path
  }
  {
    # $2 is "file:line:#include \"header\" ..."
    split($2, part, ":")
    file = part[1]; line = part[2]
    header = $2
    sub(/^[^"]*"/, "", header); sub(/".*$/, "", header)
    # Resolved as the compiler would: beside the file, then the include folders.
    target = ""
    n = split(dirname(file) "/" header "\nsrc/" header "\ntests/" header "\n" header, cand, "\n")
    for (i = 1; i <= n; i++) if (normal(cand[i]) in exists) { target = normal(cand[i]); break }
    if (target == "") next
    from = layer(file); to = layer(target)
    if (from < 0 || to < 0 || to <= from) next
    printf "%s:%s: includes %s: %s may not include %s (layers, lowest first: %s)\n", file, line, target, name[from], name[to], order
    bad++
  }
  END { exit bad ? 1 : 0 }
'
