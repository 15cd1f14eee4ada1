#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed program
# the way a user meets it: files where the desktop looks for them, valid menu
# and AppStream entries, and the program started from an unrelated folder with
# a fresh home finding its fonts in share/glintag and keeping its settings in
# ~/.config/Glintag.
#
#   install_test.sh BUILD_DIR            the whole check
#   install_test.sh BUILD_DIR --stream   only the upload-stream comparison
set -euo pipefail

build=$(cd "$1" && pwd)
part=${2:-all}
work=$(mktemp -d)
trap 'kill -KILL "${program_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing; install the Debian package $2 (bash tools/dev.sh test does)" >&2; exit 1; }; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# A clean environment: nothing from the developer's session may help the
# installed program find its files.
run_installed() {
    env -i HOME="$work/home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "$@"
}
mkdir -p "$work/home" "$work/elsewhere"

if [ "$part" = --stream ]; then
    # The same setup must give the same bytes, fonts found through
    # share/glintag: a double-byte text and a vertical one draw from the
    # language's font files, which a missing lookup would leave blank.
    args=(send --quiet --language ja --output)
    "$build/bin/glintag" "${args[@]}" "$work/built.bin" HELLO "日本語" --vertical
    (cd "$work/elsewhere" && run_installed "$prefix/bin/glintag" "${args[@]}" "$work/installed.bin" HELLO "日本語" --vertical)
    cmp "$work/built.bin" "$work/installed.bin" || fail "the installed program sends other bytes than the built one"
    [ -s "$work/built.bin" ] || fail "empty upload stream"
    [ "$failures" -eq 0 ] && echo "upload streams equal ($(stat -c %s "$work/built.bin") bytes)"
    exit $((failures > 0))
fi

need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need strace strace

# What lands where: path, then the size it must have ("" for any non-empty file).
app=org.glintag.Glintag
expected=(
    "bin/glintag|"
    "share/glintag/ASC12|3072"
    "share/applications/$app.desktop|"
    "share/metainfo/$app.metainfo.xml|"
    "share/icons/hicolor/scalable/apps/$app.svg|"
    "share/icons/hicolor/48x48/apps/$app.png|"
    "share/icons/hicolor/128x128/apps/$app.png|"
    "share/icons/hicolor/256x256/apps/$app.png|"
    "share/man/man1/glintag.1.gz|"
    "share/doc/glintag/copyright|"
    "share/doc/glintag/changelog.gz|"
    "share/doc/glintag/README.md.gz|"
    "share/doc/glintag-data/copyright|"
    "share/doc/glintag-data/changelog.gz|"
    "share/doc/glintag/examples/glintag-watch.service|"
    "share/doc/glintag/examples/glintag-serve.service|"
    "share/doc/glintag/examples/glintag-setup.schema.json|"
    "share/bash-completion/completions/glintag|"
    "share/zsh/vendor-completions/_glintag|"
    "share/fish/vendor_completions.d/glintag.fish|"
)
for font in HzK12 TwK12 JpK12 KrK12; do
    expected+=("share/glintag/$font|577584" "share/glintag/${font}V|577584")
done
for entry in "${expected[@]}"; do
    path=${entry%%|*} size=${entry#*|}
    if [ ! -s "$prefix/$path" ]; then
        fail "$path is not installed"
    elif [ -n "$size" ] && [ "$(stat -c %s "$prefix/$path")" != "$size" ]; then
        fail "$path has $(stat -c %s "$prefix/$path") bytes, not $size"
    fi
done
[ -x "$prefix/bin/glintag" ] || fail "bin/glintag is not executable"
# Each PNG must be the size its folder says.
for size in 48 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done
for gz in share/man/man1/glintag.1.gz share/doc/glintag/changelog.gz share/doc/glintag/README.md.gz; do
    gzip -t "$prefix/$gz" || fail "$gz is not a valid gzip file"
done
# Nothing of the build or the tests may be installed.
extra=$(cd "$prefix" && find . -type f | sed 's|^\./||' | grep -v -e '^share/glintag/' -e '^share/icons/' \
        -e "^share/applications/$app.desktop$" -e "^share/metainfo/$app.metainfo.xml$" -e '^share/man/man1/glintag.1.gz$' \
        -e '^share/doc/glintag/' -e '^share/doc/glintag-data/' -e '^bin/glintag$' -e '^share/bash-completion/completions/glintag$' \
        -e '^share/zsh/vendor-completions/_glintag$' -e '^share/fish/vendor_completions.d/glintag.fish$' || true)
[ -z "$extra" ] || fail "unexpected files installed: $extra"

# The two packages' parts: the font files and their documents alone in
# "data", everything else in "program", and nothing in neither.
for component in data program; do
    cmake --install "$build" --prefix "$work/$component" --component "$component" >/dev/null
done
data_files=$(cd "$work/data" && find . -type f | sed 's|^\./||' | sort)
expected_data=$( (for font in ASC12 HzK12 HzK12V TwK12 TwK12V JpK12 JpK12V KrK12 KrK12V; do echo "share/glintag/$font"; done
    echo share/doc/glintag-data/copyright; echo share/doc/glintag-data/changelog.gz) | sort)
[ "$data_files" = "$expected_data" ] || fail "the data part holds: $data_files"
both=$( (cd "$work/data" && find . -type f; cd "$work/program" && find . -type f) | sed 's|^\./||' | sort)
[ "$both" = "$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)" ] \
    || fail "the program's and the data's parts together are not the whole install"

# The installed completion is the installed program's own, and bash reads it.
bash -n "$prefix/share/bash-completion/completions/glintag" || fail "the bash completion does not parse"
run_installed "$prefix/bin/glintag" completion bash | cmp -s - "$prefix/share/bash-completion/completions/glintag" \
    || fail "the installed bash completion differs from what the program prints"

desktop-file-validate "$prefix/share/applications/$app.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$app.metainfo.xml" || fail "appstreamcli validate"
grep -qx "Icon=$app" "$prefix/share/applications/$app.desktop" || fail "the menu entry names another icon"

# The commands only read: on a fresh home none of them may leave a
# configuration folder behind; only the window's close writes one. (ports
# is left out: it would open the machine's own serial devices.)
for args in "preview --png $work/p.png HELLO" "send --output $work/s.bin HELLO" "help" "help send" \
    "completion bash" "--version"; do
    # shellcheck disable=SC2086 # the words are meant to split
    (cd "$work/elsewhere" && run_installed "$prefix/bin/glintag" $args >/dev/null 2>&1) || true
    [ ! -e "$work/home/.config/Glintag" ] || fail "'glintag $args' made ~/.config/Glintag"
    rm -rf "$work/home/.config"
done
[ -s "$work/p.png" ] && [ -s "$work/s.bin" ] || fail "preview and send --output wrote nothing"

# Start the installed program from an unrelated folder with a fresh home,
# wait (bounded) until its first rendering has read the font files, then end
# it the way a session ends: it must close as usual and write its settings.
trace="$work/trace"
(cd "$work/elsewhere" && exec env -i HOME="$work/home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
    strace -f -qq -e trace=openat -o "$trace" "$prefix/bin/glintag") &
strace_pid=$!
fonts_read() { grep -qE "\"$prefix/share/glintag/ASC12\", O_RDONLY[^)]*\) = [0-9]" "$trace" 2>/dev/null; }
for _ in $(seq 600); do
    fonts_read && break
    kill -0 "$strace_pid" 2>/dev/null || break
    sleep 0.05
done
fonts_read || fail "the installed program did not read share/glintag/ASC12 (trace: $(grep -c . "$trace" 2>/dev/null) calls)"
# strace -f starts each line with the pid; the first is the program's.
program_pid=$(awk 'NR == 1 { print $1 }' "$trace" 2>/dev/null || true)
[ -n "$program_pid" ] && kill -TERM "$program_pid"
status=0
wait "$strace_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status after SIGTERM"
grep -q '^\[Language\]' "$work/home/.config/Glintag/Nvq.ini" 2>/dev/null \
    || fail "no settings in ~/.config/Glintag/Nvq.ini after the program closed"
leftovers=$(find "$prefix" -name 'Nvq.ini*')
[ -z "$leftovers" ] || fail "settings written into the install prefix: $leftovers"
if grep -E "/(ASC12|(Hz|Tw|Jp|Kr)K12V?)\", .*\) = [0-9]" "$trace" | grep -qv "\"$prefix/share/glintag/"; then
    fail "font files read from outside share/glintag"
fi

if [ "$failures" -eq 0 ]; then
    echo "install test: all checks passed"
fi
exit $((failures > 0))
