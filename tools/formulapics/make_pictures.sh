#!/bin/sh
# Remakes the shipped pictures in assets/: the nine formula GIFs (and their
# twice-as-large @2x versions for high-density screens), the window
# icon and the Authors picture. Needs the project's build tools and
# ImageMagick (Qt writes no GIF). Usage: tools/formulapics/make_pictures.sh [BUILD_DIR]
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-"$root/build-pictures"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DMCPLOT_BENCH=OFF
fi
cmake --build "$build" --target formulapics
QT_QPA_PLATFORM=offscreen "$build/formulapics" "$tmp"

for name in linein parabola sinus cos gauss maxwell plank_1 plank_2 vdv; do
    # Grey levels of the anti-aliased text fit a small palette; no dithering,
    # so the white background stays clean.
    convert "$tmp/$name.png" +dither -colors 32 "$root/assets/$name.gif"
    convert "$tmp/$name@2x.png" +dither -colors 32 "$root/assets/$name@2x.gif"
done
cp "$tmp/icon.png" "$tmp/icon64.png" "$tmp/authors.jpg" "$root/assets/"
echo "pictures written to $root/assets"
