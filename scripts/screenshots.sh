#!/usr/bin/env bash
# Draws the program's windows and a message box into docs/screens/ as PNG
# files, with the desktop front end on Qt's offscreen platform (no display
# needed), for the README. Run it again whenever the windows change.
#
# Usage: scripts/screenshots.sh [DATA_DIR]
# The main window shows the data of DATA_DIR's section.edt and Setup.edt
# when a folder is given (copied to a scratch folder first, so nothing in it
# changes), else an empty database. The other windows are drawn from their
# declarations, with made-up rows in their lists.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-packages.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build/release" --target screens
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
if [ $# -ge 1 ]; then
  for file in section.edt Setup.edt; do
    if [ -f "$1/$file" ]; then cp "$1/$file" "$scratch/"; fi
  done
fi
mkdir -p "$root/docs/screens"
cd "$scratch"
QT_QPA_PLATFORM=offscreen "$root/build/release/tools/screens" "$root/docs/screens" \
  "$root"/app/windows/*.win "$root"/framework/windows/*.win "$root"/ui/windows/*.win
