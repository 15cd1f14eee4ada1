#!/usr/bin/env bash
# Writes the two Debian packages from a configured and built folder:
#
#   makedeb.sh BUILD_DIR [OUT_DIR]
#
# glintag_<version>_<arch>.deb (install component "program") and
# glintag-data_<version>_all.deb (component "data") land in OUT_DIR (the
# build folder by default). The control files come from the configure step
# (BUILD_DIR/debian/*.control); this adds the libraries' Depends and the
# Installed-Size. The same tree gives the same bytes for any user and any
# folder: owners are root, times are SOURCE_DATE_EPOCH (the last commit's
# time when unset), permissions are set, not inherited from the umask.
set -euo pipefail

build=$(cd "$1" && pwd)
out=$(cd "${2:-$1}" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -c safe.directory='*' -C "$top" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH

# Each package's tree lies in debian/PACKAGE, where dpkg-shlibdeps looks
# for it, beside an empty debian/control it wants to see.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/debian"
: >"$stage/debian/control"
arch=$(dpkg --print-architecture)

# The package's Installed-Size as dpkg-gencontrol counts it: each file's
# size in KiB rounded up, and one for each folder and link.
installed_size() { # root
  find "$1" -path "$1/DEBIAN" -prune -o -mindepth 1 -printf '%y %s\n' |
    awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib + 0 }'
}

for package in glintag glintag-data; do
  component=program
  [ "$package" = glintag-data ] && component=data
  root="$stage/debian/$package"
  DESTDIR="$root" cmake --install "$build" --prefix /usr --component "$component" >/dev/null

  # Debian strips its programs' symbols and the compilers' notes; the build
  # ID stays, so a debugger can still find the build's own symbols.
  if [ -d "$root/usr/bin" ]; then
    for program in "$root"/usr/bin/*; do
      strip --remove-section=.comment --remove-section=.note "$program"
    done
  fi

  control=$(cat "$build/debian/$package.control")
  mkdir -p "$root/DEBIAN"
  depends=
  if [ -d "$root/usr/bin" ]; then
    depends=$(cd "$stage" && dpkg-shlibdeps -O "debian/$package"/usr/bin/* | sed -n 's/^shlibs:Depends=//p')
  fi

  (cd "$root" && find usr -type f | LC_ALL=C sort | xargs -r md5sum) >"$root/DEBIAN/md5sums"
  size=$(installed_size "$root")
  control=${control//'${arch}'/$arch}
  control=${control//'${installed:Size}'/$size}
  control=${control//'${shlibs:Depends}'/$depends}
  # A field left empty (no libraries, no Built-Using found) goes, as does a
  # list's trailing comma.
  printf '%s\n' "$control" | sed -e '/^[A-Za-z-]*:/s/, *$//' -e '/^[A-Za-z-]*: *$/d' >"$root/DEBIAN/control"

  # What the user's umask, user and clock would otherwise put in the archive.
  find "$root" -type d -exec chmod 0755 {} +
  find "$root" -type f -exec chmod 0644 {} +
  if [ -d "$root/usr/bin" ]; then
    chmod 0755 "$root"/usr/bin/*
  fi
  find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

  rm -f "$out/${package}"_*.deb
  dpkg-deb --root-owner-group -Zxz --build "$root" "$out" >/dev/null
done
ls "$out"/glintag_*.deb "$out"/glintag-data_*.deb
