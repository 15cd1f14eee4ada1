#!/usr/bin/env bash
# Installs what is missing, builds, then starts Glintag ("run"), runs every
# test headless ("test"), writes the Debian package and checks it with
# lintian ("package"), or builds the packages twice more from scratch, in
# folders of other path lengths, and compares them byte for byte with what
# "package" made ("reproducible"). Safe to run again: it only
# installs what is absent and rebuilds what changed.
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test|package|reproducible) ;;
  *) echo "usage: $0 run|test|package|reproducible" >&2; exit 2 ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libicu-dev libfreetype-dev
  libgtest-dev libbenchmark-dev
  # writes the face's animation (Export preview, glintag preview --gif)
  libgif-dev
  # glintag serve: the HTTP API (its CMake files want the WebSockets ones too)
  qt6-httpserver-dev qt6-websockets-dev
  # glintag serve --mqtt: the broker makers' client library
  libmosquitto-dev
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
    # package's two font choices); the completion test runs zsh and fish;
    # serve's page is driven in headless Chromium, its MQTT door talks to a
    # real broker
    packages+=(desktop-file-utils appstream strace fonts-wqy-microhei zsh fish
      chromium chromium-driver python3-selenium mosquitto) ;;
  package|reproducible)
    # CPack's shlibdeps step needs file and dpkg-shlibdeps (dpkg-dev), which
    # also gives the hardening flags (dpkg-buildflags)
    packages+=(dpkg-dev file lintian git) ;;
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

# The packages are built in a folder of their own with Debian's flags and
# without the tests, benchmarks and developer's aids, so it builds only what
# they ship. Their files' times and the archives' come from the last commit.
package_build() { # folder
  # A compiler cache with a base folder rewrites source paths to relative
  # ones, past the file-prefix map: the binary's build ID would then depend
  # on where it was built.
  export CCACHE_BASEDIR=
  export SOURCE_DATE_EPOCH
  SOURCE_DATE_EPOCH=$(git -c safe.directory='*' -C "$top" log -1 --format=%ct)
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$top" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINTAG_DEBIAN_FLAGS=ON \
    -DGLINTAG_BUILD_TESTS=OFF -DGLINTAG_BUILD_BENCH=OFF "${launcher[@]}"
  cmake --build "$1" -j2
  bash "$top/tools/makedeb.sh" "$1"
}

shipped() { # folder: the program's package, then the data's
  ls "$1"/glintag_*.deb "$1"/glintag-data_*_all.deb
}

if [ "$mode" = package ]; then
  package_build "$top/build-package"
  # lintian exits non-zero on errors; warnings and the pedantic and
  # informational tags are printed and pass
  mapfile -t debs < <(shipped "$top/build-package")
  lintian --pedantic -I -E --fail-on error "${debs[@]}"
  ls -l "${debs[@]}"
  exit 0
fi

if [ "$mode" = reproducible ]; then
  # The packages `package` made, against two builds from nothing in folders
  # of different path lengths, the second without the compiler cache (and,
  # when run as root, as an unprivileged user with a tight umask), so
  # neither the folder, the cache, the user nor the umask can leave a trace.
  [ -n "$(ls "$top"/build-package/glintag_*.deb 2>/dev/null)" ] || "$0" package
  first=$(mktemp -d /tmp/r.XXXXXX) second=$(mktemp -d)
  trap 'rm -rf "$first" "$second"' EXIT
  package_build "$first/b"
  long="$second/a-folder-with-a-much-longer-name-than-the-first/build"
  mkdir -p "$long"
  if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    chown -R nobody "$second"
    (umask 077 && CCACHE_DISABLE=1 HOME="$second" setpriv --reuid=nobody --regid=nogroup --clear-groups \
      bash -c "$(declare -f package_build); top='$top'; package_build '$long'")
  else
    (umask 077 && CCACHE_DISABLE=1 package_build "$long")
  fi
  mapfile -t shipped_debs < <(shipped "$top/build-package")
  differ=0
  for deb in "${shipped_debs[@]}"; do
    name=$(basename "$deb")
    for other in "$first/b/$name" "$long/$name"; do
      if ! cmp "$deb" "$other"; then
        differ=1
        cp "$other" "$top/build-package/${other//\//_}"
        command -v diffoscope >/dev/null && diffoscope "$deb" "$other" >&2
      fi
    done
    [ "$differ" -eq 0 ] && echo "reproducible: $name ($(stat -c %s "$deb") bytes) is the same from $top/build-package, $first/b and $long"
  done
  if [ "$differ" -ne 0 ]; then
    echo "reproducible: the packages differ; the other builds' copies are kept in build-package/" >&2
    exit 1
  fi
  exit 0
fi

# The tests are built with warnings as errors, so a warning never lands.
werror=OFF
[ "$mode" = test ] && werror=ON
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINTAG_WARNINGS_AS_ERRORS=$werror
cmake --build "$build" -j2

if [ "$mode" = run ]; then
  exec "$build/bin/glintag"
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300
