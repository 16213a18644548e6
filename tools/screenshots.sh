#!/usr/bin/env bash
# Remakes the README's screenshots (the explained failure, the value editor, the
# hints at the template's size and at the smallest one that shows the whole
# bottom row, and the study window): the real window on a virtual X server,
# driven by build/formdriver.
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

# The study window: after the main window's function changed, a function with
# a pole on the interval, and a narrow peak the box of throws cuts.
study_shot() {
    local name=$1
    shift
    { echo start; printf '%s\n' "$@"; printf 'study open\nstudy seed 7\nstudy run\nstudy shot %s\nquit\n' \
        "$root/docs/screenshot-study-$name.png"; } |
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/formdriver"
}
study_shot stale "select 1" "click CmdOK" "select 4"
study_shot divergent "select 7" "edit Label3 -1" "click CmdOK"
study_shot clipped "select 9" "text 1 exp(0-((x-7.55)/0.05)^2)" "click CmdOK"

# The page "Методы" after a full run: a preset and the sample expression of
# "Ваша функция" (its run takes about half a minute).
methods_shot() {
    local name=$1
    shift
    { echo start; printf '%s\n' "$@"; printf 'methods open\nmethods seed 7\nmethods run\nstudy shot %s\nquit\n' \
        "$root/docs/screenshot-methods-$name.png"; } |
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/formdriver"
}
methods_shot gauss "select 4" "click CmdOK"
methods_shot user "select 9" "click Command1"
