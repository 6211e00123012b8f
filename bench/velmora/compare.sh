#!/usr/bin/env bash
# Whole-process comparisons for the velmora command line (results in BENCHMARKS.md):
#   1. velmora map over 16 x 16 and 64 x 64 sectors against reading the same files once (cat),
#      and the peak memory of each map;
#   2. velmora render at 800 x 800 against f3d rendering the same sector's PLY made by
#      velmora export, side by side, with the peak memory of each.
# Usage: bench/velmora/compare.sh [BUILD_DIR] (default build). Scratch data goes to
# $TMPDIR/velmora-compare and stays for the next run. Needs f3d, hyperfine and xvfb (Debian
# packages, not installed by scripts/setup: only this benchmark uses them).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${1:-build}
velmora=$PWD/$build/tools/velmora/velmora
worlds=$PWD/$build/bench/velmora/velmora_bench_world
scratch=${TMPDIR:-/tmp}/velmora-compare
mkdir -p "$scratch"

peak() {  # peak resident memory of a command, in MiB
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f MiB\n", $1 / 1024}'
}

echo "== map against reading the files once"
for side in 16 64; do
    prefix=$scratch/world$side
    [[ -d $prefix ]] || "$worlds" "$prefix" "$side"
    terrain=$prefix/drive_c/Games/Quarlend/world_cache/Benchquarlend/terrain
    WINEPREFIX=$prefix hyperfine --warmup 1 --runs 5 \
        -n "map $side x $side" "$velmora map Bench --output $scratch/map$side.png --force" \
        -n "cat $side x $side" "find $terrain -name '*.zdt' -print0 | xargs -0 cat >/dev/null"
    echo "map $side x $side peak memory: $(WINEPREFIX=$prefix peak "$velmora" map Bench \
        --output "$scratch/map$side.png" --force)"
done

echo "== render against f3d"
demo=$scratch/demo
[[ -d $demo ]] || "$velmora" demo "$demo" >/dev/null
(cd "$demo" && WINEPREFIX=$demo "$velmora" export East 1_0 --format ply \
    --output "$scratch/sector.ply" --force)
# f3d draws through X: one Xvfb for the whole run, so that only f3d's own process is timed.
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb' EXIT
sleep 1
render="cd $demo && WINEPREFIX=$demo $velmora render East 1_0 --output $scratch/render.png"
f3d="DISPLAY=$display f3d $scratch/sector.ply --output=$scratch/f3d.png --resolution=800,800 --up=+Z"
hyperfine --warmup 1 --runs 10 -n "velmora render" "$render" -n "f3d" "$f3d"
echo "velmora render peak memory: $(cd "$demo" && WINEPREFIX=$demo peak "$velmora" render East 1_0 \
    --output "$scratch/render.png")"
echo "f3d peak memory: $(DISPLAY=$display peak f3d "$scratch/sector.ply" \
    --output="$scratch/f3d.png" --resolution=800,800 --up=+Z)"
