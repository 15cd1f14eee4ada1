#!/usr/bin/env bash
# Closes real windows (offscreen) against one settings folder and checks
# what is left on disk: two windows closing at once, and a window killed
# with SIGKILL at a random instant of its close followed by a fresh start.
# After every round each picture the settings file names must exist and
# load, and after every fresh start no temporary and no unnamed picture of
# the program's own may be left. Slow; never run by CTest.
#
#   tools/kept-close-races.sh [TWO_WINDOW_ROUNDS] [KILL_ROUNDS] [BIN_DIR]
set -uo pipefail

pairs=${1:-50}
kills=${2:-200}
top=$(cd "$(dirname "$0")/.." && pwd)
bin=${3:-$top/build/bin}
started=${GLINTAG_START_WAIT:-0.7} # long enough for a window to read its settings
# The kill lands 0 .. GLINTAG_KILL_WINDOW_MS (at most 999) after the close began.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/glintag" "$work/"
for f in "$bin"/ASC12 "$bin"/*K12*; do cp "$f" "$work/"; done
export QT_QPA_PLATFORM=offscreen

# Sixteen 64 x 12 BMPs under the older names and a settings file naming
# them; generation g draws other dots, so every close has new pictures.
make_set() {
  python3 - "$work" "$1" <<'PY'
import struct, sys, os
folder, g = sys.argv[1], int(sys.argv[2])
w, h = 64, 12
row = (w * 3 + 3) & ~3
for n in range(1, 17):
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            lit = (x * 7 + y * 3 + n * 5 + g) % 11 == 0
            line += b'\xff\xff\xff' if lit else b'\x00\x00\x00'
        pixels += line + b'\x00' * (row - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(os.path.join(folder, 'Nvq-slot%d.bmp' % n), 'wb') as f:
        f.write(header + info + pixels)
with open(os.path.join(folder, 'Nvq.ini'), 'w') as f:
    for n in range(1, 17):
        f.write('[Message%d]\nImage=1\n' % n)
    f.write('[Language]\nLanguage=4\n[Glintag]\n')
    for n in range(1, 17):
        f.write('Picture%d=Nvq-slot%d.bmp\n' % (n, n))
PY
}

named() { sed -n 's/^Picture[0-9]*=\(.\+\)\r\?$/\1/p' "$work/Nvq.ini"; }

# Counts problems with what the settings file names; prints nothing when
# every named picture exists and loads and the file is whole.
check_named() {
  local bad=0
  # Whole: either the file this script wrote or one the program wrote.
  if ! tail -n 1 "$work/Nvq.ini" | grep -q '^Picture16=' &&
    ! { grep -q '^Pan16=' "$work/Nvq.ini" && tail -n 1 "$work/Nvq.ini" | grep -q '^AlternateMsgNum='; }; then
    echo "torn settings file"; bad=1
  fi
  while read -r name; do
    [ -f "$work/$name" ] || { echo "named but missing: $name"; bad=1; }
  done < <(named)
  if "$work/glintag" preview --settings "$work/Nvq.ini" --png "$work/check.png" 2>&1 | grep -q 'cannot be read'; then
    echo "a named picture does not load"; bad=1
  fi
  return $bad
}

# Temporaries and the program's own pictures that nothing names.
litter() {
  local names
  names=$(named)
  find "$work" -maxdepth 1 -name '.glintag-partial-*' -printf '%f\n'
  find "$work" -maxdepth 1 -regextype posix-extended -regex '.*/Nvq-slot[0-9]+-[0-9a-f]{16}\.bmp' -printf '%f\n' |
    while read -r f; do grep -qxF "$f" <<<"$names" || echo "$f"; done
}

# Sets pid; started from this shell so that wait can wait for it.
start_window() { "$work/glintag" >/dev/null 2>&1 & pid=$!; }

pair_bad=0
for ((r = 0; r < pairs; r++)); do
  make_set $((2 * r))
  start_window; a=$pid; sleep "$started"
  make_set $((2 * r + 1))
  start_window; b=$pid; sleep "$started"
  kill -TERM "$a" "$b"
  wait "$a" "$b" 2>/dev/null
  if ! out=$(check_named); then pair_bad=$((pair_bad + 1)); echo "pair round $r: $out"; fi
  if [ -n "$(find "$work" -maxdepth 1 -name '.glintag-partial-*')" ]; then
    pair_bad=$((pair_bad + 1)); echo "pair round $r: a temporary was left"
  fi
done
echo "two windows closing together: $pairs rounds, $pair_bad with a missing, damaged or torn file"

torn=0 stale=0 litter_before=0 temporaries=0 litter_after=0 committed=0 cut=0
for ((r = 0; r < kills; r++)); do
  make_set $((1000 + r))
  start_window; w=$pid; sleep "$started"
  kill -TERM "$w"
  sleep "0.$(printf '%03d' $((RANDOM % ${GLINTAG_KILL_WINDOW_MS:-400})))"
  kill -KILL "$w" 2>/dev/null
  wait "$w" 2>/dev/null
  if named | grep -q -- '-slot[0-9]*-'; then committed=$((committed + 1)); else cut=$((cut + 1)); fi
  out=$(check_named) || { grep -q torn <<<"$out" && torn=$((torn + 1)); grep -q -v torn <<<"$out" && stale=$((stale + 1)); echo "kill round $r: $out"; }
  [ -n "$(litter)" ] && litter_before=$((litter_before + 1))
  [ -n "$(find "$work" -maxdepth 1 -name '.glintag-partial-*')" ] && temporaries=$((temporaries + 1))
  # The next start tidies; its own close then saves as usual.
  start_window; w=$pid; sleep "$started"
  kill -TERM "$w"; wait "$w" 2>/dev/null
  left=$(litter)
  if [ -n "$left" ]; then litter_after=$((litter_after + 1)); echo "kill round $r, after the next start: $left"; fi
  out=$(check_named) || { stale=$((stale + 1)); echo "kill round $r, after the next start: $out"; }
done
echo "kill -9 during the close: $kills rounds ($committed killed after the settings file was replaced, $cut before);" \
  "torn $torn, stale names $stale, rounds with leftovers before the next start $litter_before" \
  "($temporaries with a temporary), after it $litter_after"
[ $pair_bad -eq 0 ] && [ $torn -eq 0 ] && [ $stale -eq 0 ] && [ $litter_after -eq 0 ]
