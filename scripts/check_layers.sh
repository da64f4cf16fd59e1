#!/usr/bin/env bash
# Checks that every project include points down the layers
#   app -> framework -> {ui, data} -> runtime -> platform
# (ui and data do not include each other; ui/qt, ui/term and ui/headless
# belong to ui, data/tarnwick to data). The project root is on every include
# path, so an upward include of a header-only piece would compile and link;
# this check is what catches it. tools/, tests/ and bench/ may include
# anything and are not scanned.
# Usage: scripts/check_layers.sh [ROOT]. Prints each offending include as
# FILE:LINE: ... and exits 1 if there is any.
set -euo pipefail
root="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)"
cd "$root"

# The layers a folder may include, itself first.
allowed_for() {
  case "$1" in
  app) echo "app framework ui data runtime platform" ;;
  framework) echo "framework ui data runtime platform" ;;
  ui) echo "ui runtime platform" ;;
  data) echo "data runtime platform" ;;
  runtime) echo "runtime platform" ;;
  platform) echo "platform" ;;
  esac
}

# Sets target to the layer an include names: its first folder, after
# resolving a path relative to the including file (the compiler looks there
# first).
target_layer() {
  local from_dir="$1" path="$2"
  if [[ "$path" == .* || -e "$from_dir/$path" ]]; then
    path="$(realpath -m --relative-to="$root" "$from_dir/$path")"
  fi
  target="${path%%/*}"
}

status=0
for layer in platform runtime data ui framework app; do
  allowed=" $(allowed_for "$layer") "
  while IFS= read -r hit; do
    file="${hit%%:*}"
    rest="${hit#*:}"
    line="${rest%%:*}"
    text="${rest#*:}"
    [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    included="${BASH_REMATCH[1]}"
    target_layer "${file%/*}" "$included"
    case "$target" in
    app | framework | ui | data | runtime | platform | tools | tests | bench) ;;
    *) continue ;; # not a project folder: a generated or system header
    esac
    if [[ "$allowed" != *" $target "* ]]; then
      echo "$file:$line: $layer includes $target: \"$included\""
      status=1
    fi
  done < <(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' \
    --include='*.cc' --include='*.inc' --include='*.ipp' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$layer" | sort -t: -k1,1 -k2,2n)
done
if [[ $status -ne 0 ]]; then
  echo "check_layers: includes that point up or across the layers (see above)" >&2
fi
exit $status
