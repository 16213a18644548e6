#!/bin/sh
# Builds the VBScript fuzz target with clang, ASan and UBSan in build-fuzz and
# runs it for the given number of seconds on a copy of the seed corpus.
# Usage: tools/fuzz.sh SECONDS
set -eu
seconds=${1:?usage: tools/fuzz.sh SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DMCPLOT_FUZZ=ON -DMCPLOT_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target vbscript_fuzz -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/tests/fuzz/corpus/* "$work"/
cd "$build"
./vbscript_fuzz "$work" -dict="$root/tests/fuzz/vbscript.dict" \
  -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1
