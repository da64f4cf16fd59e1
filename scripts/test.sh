#!/usr/bin/env bash
# Checks that includes point down the layers, then builds and runs every
# test. Usage: scripts/test.sh [release|debug|sanitize]
# (release by default). ZOR_LONG_TESTS=1 also registers the long soak and
# sweep runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
preset="${1:-release}"
"$root/scripts/ensure-packages.sh"
cd "$root"
bash scripts/check_layers.sh
cmake --preset "$preset" -DZOR_LONG_TESTS="${ZOR_LONG_TESTS:-OFF}" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
