#!/bin/sh
# Builds and runs one libFuzzer target without configuring the whole
# project with clang.
# Usage: build_fuzz.sh profile|picture [out-dir] [libFuzzer options...]
#   profile  the settings file reader (seeded with a file like the program's)
#   picture  the picture loader (seeded with small BMP, GIF and JPEG files)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../../src"
target=${1:-profile}
[ $# -gt 0 ] && shift
out=${1:-/tmp/glintag-fuzz-$target}
[ $# -gt 0 ] && shift
mkdir -p "$out/corpus"
flags="-std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I$src"
case "$target" in
profile)
  clang++ $flags $(pkg-config --cflags Qt6Core) \
    "$here/fuzz_profile.cpp" "$src/files/atomicfile.cpp" "$src/files/profilefile.cpp" "$src/files/profilelines.cpp" \
    "$src/files/regularfile.cpp" "$src/files/textencoding.cpp" \
    $(pkg-config --libs Qt6Core) -o "$out/fuzz_profile"
  # Seeds shaped like the program's own file: CR LF, and CR only as UTF-16.
  printf '\000[Message1]\r\nMessage1Text="Hi"\r\nSpeed=3\r\n[Ports]\r\nCOM7=/dev/ttyUSB0\r\n[Alternate]\r\nAlternateMsgNum=2\r\n' \
    > "$out/corpus/seed.ini"
  printf '\001; mine\r[Message1]\rMessage1Text=Hi\rSpeed=3\r[Language]\rLanguage=2\r' > "$out/corpus/seed-utf16.ini"
  ;;
picture)
  clang++ $flags $(pkg-config --cflags Qt6Gui) \
    "$here/fuzz_picture.cpp" "$src/files/atomicfile.cpp" "$src/files/picturefile.cpp" "$src/files/regularfile.cpp" \
    $(pkg-config --libs Qt6Gui) -o "$out/fuzz_picture"
  # A 4 x 2 GIF, and small BMP, ICO and JPEG files that Qt wrote.
  printf 'GIF89a\004\000\002\000\221\000\000\000\000\000\377\000\000\000\377\000\377\377\377!\371\004\001\000\000\003\000,\000\000\000\000\004\000\002\000\000\002\005D\250\061\342P\000;' \
    > "$out/corpus/seed.gif"
  cp "$here"/seeds/* "$out/corpus/"
  ;;
*)
  echo "unknown target: $target (profile or picture)" >&2
  exit 2
  ;;
esac
cd "$out"
exec "./fuzz_$target" "$@" corpus
