#!/usr/bin/env bash
# Runs the render, preview, command-line and start-up benchmarks of two
# builds side by side, alternating old and new each round so that a busy
# machine weighs on both alike, and prints the median of each figure.
#   bash bench/compare.sh OLD_BIN_DIR NEW_BIN_DIR [ROUNDS]
# e.g. a build of the last release in /tmp/old/build/bin against build/bin.
set -euo pipefail

old=$1
new=$2
rounds=${3:-5}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

# One row per figure: "bench/name<TAB>real time<TAB>unit".
run_gbench() {   # dir bench
    (cd "$1" && "./$2" --benchmark_format=csv 2>/dev/null) |
        awk -F, -v b="$2" 'started { gsub(/"/, "", $1); print b "/" $1 "\t" $3 "\t" $5 } /^name,/ { started = 1 }'
}
run_startup() {   # dir
    (cd "$1" && ./startup_bench 2>/dev/null) | awk -F': ' '{ split($2, v, " "); print "startup_bench/" $1 "\t" v[1] "\tms" }'
}

for ((r = 1; r <= rounds; ++r)); do
    for side in old new; do
        dir=${!side}
        for b in render_bench preview_bench cli_bench; do
            run_gbench "$dir" "$b" >> "$out/$side"
        done
        run_startup "$dir" >> "$out/$side"
    done
done

median() {   # side name
    awk -F'\t' -v n="$2" '$1 == n { print $2 }' "$out/$1" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

printf '| benchmark | unit | old (median of %d) | new | change |\n|---|---|---|---|---|\n' "$rounds"
cut -f1,3 "$out/old" | awk '!seen[$0]++' | while IFS=$'\t' read -r name unit; do
    o=$(median old "$name")
    n=$(median new "$name")
    [ -n "$n" ] || continue
    change=$(awk -v o="$o" -v n="$n" 'BEGIN { if (o > 0) printf "%+.1f %%", (n - o) * 100 / o; else print "-" }')
    printf '| %s | %s | %s | %s | %s |\n' "$name" "$unit" "$o" "$n" "$change"
done
