#!/usr/bin/env bash
# Renders the hicolor PNGs from glintag.svg (needs rsvg-convert, Debian
# package librsvg2-bin). The PNGs are committed, so a build needs neither.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/glintag.svg" -o "$here/glintag-$size.png"
done
