#!/usr/bin/env bash
# Runs every command-line program (zor, twk, wincc and the application) on
# bad input: a folder, an empty, truncated or random file, text in the wrong
# encoding, unknown options. Prints one table row per run (program, input,
# command, exit code, first line said) and fails when a run crashed, hung,
# tripped a sanitizer, or ended in error without saying why.
#
# usage: scripts/bad_inputs.sh BUILD_DIR [TABLE.md]
set -uo pipefail
build="$(cd "${1:?usage: bad_inputs.sh BUILD_DIR [TABLE.md]}" && pwd)"
table="${2:-/dev/stdout}"
tools="$build/tools"
program="$build/app/QV_GUI_SetupiniAdmin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# Reproducible "random" bytes.
random_bytes() {
  RANDOM=$2
  for ((i = 0; i < $1; ++i)); do printf "\\x$(printf %02x $((RANDOM % 256)))"; done
}

# --- Inputs ----------------------------------------------------------------
mkdir adir dir.twk
: > empty.bin
: > empty.win
random_bytes 4096 7 > random.bin
printf 'record 44\nfield 1 T:ID LONG offset=0 size=4 places=0 dim=0\nfield 2 T:NAME STRING offset=4 size=40 places=0 dim=0\nkey 1 T:BYID attributes=none components=+T:ID\n' > good.schema
head -c 40 good.schema > trunc.schema
printf 'ID,NAME\n1,Alpha\n2,Bravo\n3,\xc3\x87harlie\n' > good.csv
printf 'ID,NAME\n1,"Alpha\n' > trunc.csv
printf 'ID,NAME\n1,Al\xffpha\n' > badutf8.csv
printf '\xff\xfeI\0D\0,\0N\0\n\0' > utf16.csv
printf 'ID,NAME\n1,%s\n' "$(printf 'x%.0s' {1..60})" > long.csv
printf 'ID,NAME\n1,snow \xe2\x98\x83\n' > nolatin.csv
"$tools/twk" load good.twk good.schema good.csv > /dev/null 2>&1
head -c 100 good.twk > trunc.twk
printf 'definition P$M\nwindow W "Test" at 0 0 size 120 40 {\n  button ?OK "OK" at 4 4 size 40 14\n}\n' > good.win
head -c 60 good.win > trunc.win
printf 'definition P$M\nwindow W "T" at 0 0 size 100 134000000 {}\n' > huge.win
printf '\xff\xfed\0e\0f\0' > utf16.win
"$tools/wincc" compile good.win good.bin > /dev/null 2>&1
head -c 50 good.bin > trunc.bin
printf 'ZORAMPM=vm,nm\n' > good.env
printf '\xff\xfeZ\0O\0R\0' > utf16.env
printf '[Display]\n; Width in pixels\nWidth=800\n' > good.ini
printf '[Display\nWidth=800\n' > malformed.ini
printf '\xff\xfe[\0D\0]\0' > utf16.ini
printf '[%s]\n' "$(printf 's%.0s' {1..60})" > longsection.ini

failures=0
echo "| program | input | command | exit | said |" > "$table"
echo "|---|---|---|---|---|" >> "$table"

# run PROGRAM INPUT COMMAND...: one row. A run fails the sweep when it was
# killed (exit 124 and above: a timeout, a signal, an abort), when a
# sanitizer spoke, or when it failed and said nothing.
run() {
  local name="$1" input="$2"
  shift 2
  timeout 30 "$@" > out.txt 2> err.txt < /dev/null
  local code=$?
  local said
  said="$(head -n 1 err.txt)"
  [ -n "$said" ] || said="$(head -n 1 out.txt)"
  said="$(printf '%s' "${said:0:110}" | LC_ALL=C tr -c '[:print:]' '?' | sed 's/|/\\|/g')"
  local shown="${*//$tools\//}"
  shown="${shown//$program/QV_GUI_SetupiniAdmin}"
  shown="$(printf '%s' "${shown:0:90}" | LC_ALL=C tr -c '[:print:]' '?')"
  local verdict=""
  if ((code >= 124)) || grep -qE 'Sanitizer|runtime error:' err.txt ||
    { ((code != 0)) && [ ! -s err.txt ] && [ ! -s out.txt ]; }; then
    verdict=" **FAILED**"
    failures=$((failures + 1))
  fi
  echo "| $name | $input | \`${shown}\` | $code$verdict | ${said} |" >> "$table"
}

# --- twk -------------------------------------------------------------------
for command in info items verify tables schema dump pack; do
  run twk folder "$tools/twk" $command adir
  run twk empty "$tools/twk" $command empty.bin
  run twk truncated "$tools/twk" $command trunc.twk
  run twk random "$tools/twk" $command random.bin
  run twk missing "$tools/twk" $command nosuch.twk
done
run twk "folder named .twk" "$tools/twk" dump dir.twk
run twk "unknown option" "$tools/twk" dump good.twk --bogus
run twk "bad option value" "$tools/twk" dump good.twk --format xml
run twk "bad option value" "$tools/twk" dump good.twk --key 99
run twk "unknown command" "$tools/twk" frobnicate good.twk
run twk "no arguments" "$tools/twk"
run twk "unknown table" "$tools/twk" dump 'good.twk!NOPE'
run twk "help, unknown command" "$tools/twk" help nope
run twk "CSV: folder" "$tools/twk" load n1.twk good.schema adir
run twk "CSV: empty" "$tools/twk" load n2.twk good.schema empty.bin
run twk "CSV: truncated" "$tools/twk" load n3.twk good.schema trunc.csv
run twk "CSV: random" "$tools/twk" load n4.twk good.schema random.bin
run twk "CSV: UTF-16" "$tools/twk" load n5.twk good.schema utf16.csv
run twk "CSV: invalid UTF-8" "$tools/twk" load n6.twk good.schema badutf8.csv --encoding utf8
run twk "CSV: no single-byte form" "$tools/twk" load n7.twk good.schema nolatin.csv
run twk "CSV: text too long" "$tools/twk" load n8.twk good.schema long.csv
run twk "schema: folder" "$tools/twk" load n9.twk adir good.csv
run twk "schema: empty" "$tools/twk" load n10.twk empty.bin good.csv
run twk "schema: truncated" "$tools/twk" load n11.twk trunc.schema good.csv
run twk "schema: random" "$tools/twk" load n12.twk random.bin good.csv
run twk "file: truncated" "$tools/twk" load trunc.twk good.schema good.csv
run twk "file: random" "$tools/twk" load random.bin good.schema good.csv
run twk "duplicate key" "$tools/twk" load good.twk good.schema good.csv
run twk "unknown switch" "$tools/twk" send good.twk BOGUS
run twk "send to random" "$tools/twk" send random.bin FLAGS

# --- zor -------------------------------------------------------------------
run zor "env file: folder" "$tools/zor" locale adir
run zor "env file: empty" "$tools/zor" locale empty.bin
run zor "env file: random" "$tools/zor" locale random.bin
run zor "env file: UTF-16" "$tools/zor" locale utf16.env
run zor "env file: missing" "$tools/zor" locale nosuch.env
run zor "no arguments" "$tools/zor"
run zor "unknown command" "$tools/zor" --bogus
run zor "help, one command" "$tools/zor" help format
run zor "bad picture" "$tools/zor" format @Q99 1
run zor "huge picture" "$tools/zor" format @n99999999999 1
run zor "random picture" "$tools/zor" format "$(head -c 24 random.bin | tr -d '\0')" 1
run zor "not a number" "$tools/zor" format @n10 abc
run zor "day out of range" "$tools/zor" date 99999999999999999999
run zor "bad decimal" "$tools/zor" decimal 40 50 1
run zor "empty expression" "$tools/zor" eval ""
run zor "truncated expression" "$tools/zor" eval "(1+2"
run zor "random expression" "$tools/zor" eval "$(head -c 24 random.bin | tr -d '\0')"
run zor "unknown function" "$tools/zor" eval "NOPE(1)"
run zor "nesting too deep" "$tools/zor" eval "$(printf '(%.0s' {1..300})1$(printf ')%.0s' {1..300})"
run zor "bad binding" "$tools/zor" eval x+1 x

# --- wincc -----------------------------------------------------------------
for command in dump render; do
  run wincc folder "$tools/wincc" $command adir
  run wincc "empty .bin" "$tools/wincc" $command empty.bin
  run wincc "empty .win" "$tools/wincc" $command empty.win
  run wincc "truncated .win" "$tools/wincc" $command trunc.win
  run wincc "truncated .bin" "$tools/wincc" $command trunc.bin
  run wincc random "$tools/wincc" $command random.bin
  run wincc "UTF-16 .win" "$tools/wincc" $command utf16.win
  run wincc "size 134000000" "$tools/wincc" $command huge.win
  run wincc missing "$tools/wincc" $command nosuch.win
done
run wincc "unknown window" "$tools/wincc" render good.win NOPE
run wincc "empty .win" "$tools/wincc" compile empty.win e.cpp
run wincc "input: folder" "$tools/wincc" compile adir out.cpp
run wincc "output in a missing folder" "$tools/wincc" compile good.win nodir/sub/out.cpp
run wincc "output is a folder" "$tools/wincc" compile good.win adir
run wincc "unknown option" "$tools/wincc" compile good.win o.cpp --bogus
run wincc "option without value" "$tools/wincc" compile good.win o.cpp --module
run wincc "no arguments" "$tools/wincc"

# --- the application ---------------------------------------------------------
if [ -x "$program" ]; then
  mkdir app && cd app && cp ../*.ini . && mkdir adir
  run app "unknown option" "$program" --bogus
  run app "stray argument" "$program" foo
  run app "option without file" "$program" --import
  run app "two actions" "$program" --import good.ini --export x.ini
  run app "unknown front end" "$program" --ui=bogus
  run app "import: folder" "$program" --import adir
  run app "import: missing" "$program" --import nosuch.ini
  run app "import: empty" "$program" --import ../empty.bin
  run app "import: random" "$program" --import ../random.bin
  run app "import: UTF-16" "$program" --import utf16.ini
  run app "import: malformed" "$program" --import malformed.ini
  run app "import: section name too long" "$program" --import longsection.ini
  run app "import" "$program" --import good.ini
  run app "export: folder" "$program" --export adir
  run app "export: missing folder" "$program" --export nodir/x.ini
  cp ../random.bin Setup.edt
  run app "database: random Setup.edt" "$program" --export x.ini
  head -c 100 section.edt > cut && mv cut section.edt
  run app "database: truncated section.edt" "$program" --ui=headless
  cd ..
fi

echo "$failures of the runs crashed, hung or failed silently" >&2
((failures == 0))
