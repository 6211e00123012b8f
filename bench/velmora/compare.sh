#!/usr/bin/env bash
# Whole-process comparisons for the velmora command line (results in BENCHMARKS.md):
#   1. velmora map over 16 x 16 and 64 x 64 sectors against reading the same files once (cat),
#      and the peak memory of each map;
#   2. velmora render at 800 x 800 against f3d rendering the same sector's PLY made by
#      velmora export, side by side, with the peak memory of each;
#   3. velmora render --all of the 64 x 64 world against velmora render of one of its sectors;
#   4. the 256 x 256 world (2.1 GB, written once into the scratch folder): a cold and a warm
#      open to a coarse frame, and the peak memory of a frame at the default error;
#   5. velmora render --all of the 16 x 16 world against f3d opening its whole-world GLB.
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

echo "== render --all of the whole world against render of one of its sectors, 1280 x 720"
# Summaries kept in the scratch folder: the first run fills them, the timed runs find them.
export XDG_CACHE_HOME=$scratch/cache
prefix=$scratch/world64
all="WINEPREFIX=$prefix $velmora render Bench --all --size 1280x720 --output $scratch/all64.png"
one="WINEPREFIX=$prefix $velmora render Bench 31_31 --size 1280x720 --output $scratch/one64.png"
hyperfine --warmup 1 --runs 5 -n "render --all 64 x 64" "$all" -n "render 31_31" "$one"
echo "render --all 64 x 64 peak memory: $(WINEPREFIX=$prefix peak "$velmora" render Bench --all \
    --size 1280x720 --output "$scratch/all64.png")"
echo "render 31_31 peak memory: $(WINEPREFIX=$prefix peak "$velmora" render Bench 31_31 \
    --size 1280x720 --output "$scratch/one64.png")"

echo "== the 256 x 256 world: cold and warm opens, within the memory cap"
prefix=$scratch/world256
[[ -d $prefix ]] || "$worlds" "$prefix" 256
rm -rf "$XDG_CACHE_HOME"
coarse="WINEPREFIX=$prefix $velmora render Bench --all --size 1280x720 --max-error 64 --output $scratch/all256.png"
echo "cold (every file read): $( { /usr/bin/time -f '%e s, %M KiB' bash -c "$coarse" >/dev/null; } 2>&1 | tail -1)"
hyperfine --runs 3 -n "render --all 256 x 256, warm, --max-error 64" "$coarse"
echo "render --all 256 x 256 peak memory (default error): $(WINEPREFIX=$prefix peak "$velmora" \
    render Bench --all --size 1280x720 --output "$scratch/all256.png")"

echo "== render --all against f3d opening the whole-world GLB, 16 x 16"
prefix=$scratch/world16
(cd "$prefix" && WINEPREFIX=$prefix "$velmora" export Bench --all --format glb \
    --output "$scratch/world16.glb" --force)
all="WINEPREFIX=$prefix $velmora render Bench --all --size 1280x720 --output $scratch/all16.png"
f3d="DISPLAY=$display f3d $scratch/world16.glb --output=$scratch/f3d16.png --resolution=1280,720"
hyperfine --warmup 1 --runs 3 -n "velmora render --all 16 x 16" "$all" -n "f3d world16.glb" "$f3d"
echo "velmora render --all 16 x 16 peak memory: $(WINEPREFIX=$prefix peak "$velmora" render Bench \
    --all --size 1280x720 --output "$scratch/all16.png")"
echo "f3d world16.glb peak memory: $(DISPLAY=$display peak f3d "$scratch/world16.glb" \
    --output="$scratch/f3d16.png" --resolution=1280,720)"
