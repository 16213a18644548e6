#!/usr/bin/env bash
# Remakes the README's screenshots of the explained failure, the value editor
# and the hints (at the template's size and at the smallest one that shows
# the whole bottom row): the real window on a virtual X server, driven by
# build/formdriver.
#   tools/screenshots.sh            (after a build into build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/assets/*.gif "$work"/
cd "$work"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/formdriver" <<EOS
start
select 9
text 1 1/x
click Command1
shot $root/docs/screenshot-failure.png
edit Label4 1e9
shot $root/docs/screenshot-value-editor.png
quit
EOS
for size in "640 480" "641 300"; do
  suffix=$([ "$size" = "640 480" ] && echo "" || echo "-small")
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/formdriver" <<EOS
size $size
start
select 9
text 1 Sqr(x-1)+pi*x^2
click Command1
shot $root/docs/screenshot-wrapped$suffix.png
text 1 Exp(-x^2)
click Command1
shot $root/docs/screenshot-hint$suffix.png
quit
EOS
done
