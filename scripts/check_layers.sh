#!/usr/bin/env bash
# Checks that every project include points down the layers
#   app -> framework -> {ui, data} -> runtime -> platform
# (ui and data do not include each other; data/tarnwick belongs to data).
# Inside ui the front ends (ui/qt, ui/term, ui/headless) stand on the core
# (the rest of ui/), which stands on the list box (ui/list_box) and the
# window definitions (ui/definition); those two do not know each other and
# stand on ui/base. Nothing below includes what stands on it, and the front
# ends do not include each other. The project root is on every include
# path, so an upward include of a header-only piece would compile and link;
# this check is what catches it. tools/, tests/ and bench/ may include
# anything and are not scanned.
# Usage: scripts/check_layers.sh [ROOT]. Prints each offending include as
# FILE:LINE: ... and exits 1 if there is any.
set -euo pipefail
root="$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)"
cd "$root"

ui_core="ui ui/base ui/list_box ui/definition"
ui_all="$ui_core ui/qt ui/term ui/headless"

# The units a unit may include, itself first.
allowed_for() {
  case "$1" in
  app) echo "app framework $ui_all data runtime platform" ;;
  framework) echo "framework $ui_all data runtime platform" ;;
  ui/qt | ui/term | ui/headless) echo "$1 $ui_core runtime platform" ;;
  ui) echo "$ui_core runtime platform" ;;
  ui/list_box | ui/definition) echo "$1 ui/base runtime platform" ;;
  ui/base) echo "ui/base runtime platform" ;;
  data) echo "data runtime platform" ;;
  runtime) echo "runtime platform" ;;
  platform) echo "platform" ;;
  esac
}

# Sets unit to the unit a project path belongs to: a sub-library of ui, or
# else its first folder.
unit_of() {
  case "$1" in
  ui/base/* | ui/list_box/* | ui/definition/* | ui/qt/* | ui/term/* | ui/headless/*)
    local rest="${1#ui/}"
    unit="ui/${rest%%/*}"
    ;;
  *) unit="${1%%/*}" ;;
  esac
}

# Sets target to the unit an include names, after resolving a path relative
# to the including file (the compiler looks there first).
target_unit() {
  local from_dir="$1" path="$2"
  if [[ "$path" == .* || -e "$from_dir/$path" ]]; then
    path="$(realpath -m --relative-to="$root" "$from_dir/$path")"
  fi
  unit_of "$path"
  target="$unit"
}

status=0
for layer in platform runtime data ui framework app; do
  while IFS= read -r hit; do
    file="${hit%%:*}"
    rest="${hit#*:}"
    line="${rest%%:*}"
    text="${rest#*:}"
    [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    included="${BASH_REMATCH[1]}"
    target_unit "${file%/*}" "$included"
    case "${target%%/*}" in
    app | framework | ui | data | runtime | platform | tools | tests | bench) ;;
    *) continue ;; # not a project folder: a generated or system header
    esac
    unit_of "$file"
    if [[ " $(allowed_for "$unit") " != *" $target "* ]]; then
      echo "$file:$line: $unit includes $target: \"$included\""
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
