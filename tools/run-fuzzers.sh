#!/usr/bin/env bash
# Runs every fuzz target in the given build folder for the given total seconds, on its seeds.
set -euo pipefail
dir=$1
total=${2:-60}
root="$(cd "$(dirname "$0")/.." && pwd)"
mapfile -t targets < <(find "$dir" -type f -name "fuzz_*" -executable | sort)
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets"; exit 0; }
each=$(( total / ${#targets[@]} ))
[ "$each" -ge 5 ] || each=5
for t in "${targets[@]}"; do
    name=$(basename "$t")
    seeds="$root/src/tests/fuzz/corpus/${name#fuzz_}"
    work=$(mktemp -d)
    [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
    echo "fuzzing $name for ${each}s"
    QT_QPA_PLATFORM=offscreen "$t" -max_total_time="$each" -max_len=600 "$work" 2>&1 | tail -3
    rm -rf "$work"
done
