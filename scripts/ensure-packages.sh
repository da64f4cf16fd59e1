#!/usr/bin/env bash
# Installs the Debian packages the build needs when any is missing: with
# apt-get when run as root, otherwise prints the exact command and stops.
set -euo pipefail

# qt6-base-dev: the desktop front end (the build goes on without it);
# xvfb and xauth: its smoke test on an X server of its own; sqlite3: the shell
# the load benchmark compares twk load with.
packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev
          libbenchmark-dev libncurses-dev libsqlite3-dev sqlite3 tmux
          qt6-base-dev xvfb xauth)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

command_line="apt-get update && apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing build packages. Run as root:" >&2
  echo "  $command_line" >&2
  exit 1
fi
echo "Installing missing build packages: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
