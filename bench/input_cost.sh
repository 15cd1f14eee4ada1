#!/bin/sh
# Peak memory and time of unusual input, one fresh process per file, and the
# window's start-up with a FIFO, folder, socket or device at the settings
# path. Usage: bench/input_cost.sh [build-dir]
set -eu
bin=$(cd "${1:-build}/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

"$bin/input_cost" make "$work"
echo "== settings files (10 MB each): load at start-up, save at close"
for f in blank-lines cr-only sections keys utf16; do
  printf '%s.ini (%s bytes)\n' "$f" "$(stat -c %s "$work/$f.ini")"
  "$bin/input_cost" settings "$work/$f.ini" | sed 's/^/  /'
  cp "$work/$f.ini" "$work/saved.ini"
  "$bin/input_cost" save "$work/saved.ini" | sed 's/^/  /'
done
echo "== picture files"
for f in forged-progressive-20000.jpg forged-progressive-30000.jpg forged-baseline-30000.jpg \
         forged-100000.bmp forged-png-30000.ico progressive-3000.jpg baseline-8000-gray.jpg png-3000.ico \
         wide-3500x3400.bmp; do
  printf '%s (%s bytes)\n' "$f" "$(stat -c %s "$work/$f")"
  "$bin/input_cost" picture "$work/$f" | sed 's/^/  /'
done
echo "== start-up with something other than a file at the settings path"
for kind in fifo folder socket device; do
  printf '%s\n' "$kind"
  start=$(date +%s%N)
  timeout 20 "$bin/startup_bench" "$kind" | sed 's/^/  /'
  printf '  whole process: %s ms\n' $(( ($(date +%s%N) - start) / 1000000 ))
done
