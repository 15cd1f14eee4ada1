#!/usr/bin/env bash
# Installs what is missing, builds, then starts Glintag ("run"), runs every
# test headless ("test") or writes the Debian package and checks it with
# lintian ("package"). Safe to run again: it only installs what is absent and
# rebuilds what changed.
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test|package) ;;
  *) echo "usage: $0 run|test|package" >&2; exit 2 ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libicu-dev libfreetype-dev
  libgtest-dev libbenchmark-dev
  # writes the face's animation (Export preview, glintag preview --gif)
  libgif-dev
  # sources of the badge font files
  xfonts-base xfonts-wqy xfonts-shinonome xfonts-mplus xfonts-baekmuk
  # Arial's metric twin for the window's text
  fonts-liberation2
)
case "$mode" in
  run)
    # the interface's Chinese, Japanese and Korean captions
    packages+=(fonts-noto-cjk) ;;
  test)
    # the install test validates the menu entry and the AppStream file and
    # watches which font files the installed program opens; the caption test
    # needs one outline face for the East Asian scripts (the lighter of the
    # package's two font choices)
    packages+=(desktop-file-utils appstream strace fonts-wqy-microhei) ;;
  package)
    # CPack's shlibdeps step needs file and dpkg-shlibdeps (dpkg-dev)
    packages+=(dpkg-dev file lintian) ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# The tests are built with warnings as errors, so a warning never lands.
werror=OFF
[ "$mode" = test ] && werror=ON
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINTAG_WARNINGS_AS_ERRORS=$werror
cmake --build "$build" -j2

if [ "$mode" = run ]; then
  exec "$build/bin/glintag"
fi

if [ "$mode" = package ]; then
  rm -f "$build"/glintag_*.deb
  (cd "$build" && cpack -G DEB)
  deb=$(ls "$build"/glintag_*.deb)
  # lintian exits non-zero on errors; warnings are printed and pass
  lintian --fail-on error "$deb"
  ls -l "$deb"
  exit 0
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
