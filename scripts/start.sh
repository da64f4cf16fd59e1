#!/usr/bin/env bash
# Builds the application and starts it in the caller's current directory,
# where it finds (or creates) section.edt, Setup.edt and its INI file.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-packages.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build/release" --target QV_GUI_SetupiniAdmin
exec "$root/build/release/app/QV_GUI_SetupiniAdmin" "$@"
