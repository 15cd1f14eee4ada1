#!/bin/sh
# Builds and runs the settings file fuzzer without configuring the whole
# project with clang. Usage: build_fuzz.sh [out-dir] [libFuzzer options...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../../src"
out=${1:-/tmp/glintag-fuzz}
[ $# -gt 0 ] && shift
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
  -I"$src" $(pkg-config --cflags Qt6Core) \
  "$here/fuzz_profile.cpp" "$src/settings/profilefile.cpp" \
  $(pkg-config --libs Qt6Core) -o "$out/fuzz_profile"
# Seed with a file shaped like the program's own.
printf '[Message1]\r\nMessage1Text="Hi"\r\nSpeed=3\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n[Alternate]\r\nAlternateMsgNum=2\r\n' \
  > "$out/corpus/seed.ini"
cd "$out"
exec ./fuzz_profile "$@" corpus
