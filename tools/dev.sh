#!/usr/bin/env bash
# Installs what is missing, builds, then starts Glintag ("run") or runs every
# test headless ("test"). Safe to run again: it only installs what is absent
# and rebuilds what changed.
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test) ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libicu-dev libfreetype-dev
  libgtest-dev libbenchmark-dev
  # sources of the badge font files
  xfonts-base xfonts-wqy xfonts-shinonome xfonts-mplus xfonts-baekmuk
  # Arial's metric twin for the window's text
  fonts-liberation2
)
if [ "$mode" = run ]; then
  # the interface's Chinese, Japanese and Korean captions
  packages+=(fonts-noto-cjk)
fi

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

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2

if [ "$mode" = run ]; then
  exec "$build/bin/glintag"
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
