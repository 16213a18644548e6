#!/usr/bin/env bash
# Builds the Debian package from a finished build folder and checks it the way
# a distribution would: lintian without errors or warnings, the AppStream
# metadata under appstreamcli and the desktop entry under desktop-file-validate;
# the packaged command must answer --version. Any finding fails the script. Usage: tools/check_package.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cd "$build"
rm -f mcplot_*.deb
cpack -G DEB >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log" >&2; exit 1; }
deb=$(ls mcplot_*.deb)
echo "checking $build/$deb"

status=0
fail() {
  echo "FAILED: $*" >&2
  status=1
}

# lintian warns on stderr when run as root, as CI does; that is no finding.
lintian --fail-on error,warning "$deb" || fail "lintian"

dpkg-deb -x "$deb" "$tmp/root"
metainfo=("$tmp"/root/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metadata in the package"
# --no-net: the screenshots' addresses are not fetched.
appstreamcli validate --no-net "${metainfo[@]}" || fail "appstreamcli validate"

desktop="$tmp/root/usr/share/applications/mcplot.desktop"
# It exits 0 on mere warnings; those count as failures here.
findings=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate"
if [ -n "$findings" ]; then
  echo "$findings" >&2
  fail "desktop-file-validate"
fi

# The packaged launcher finds the program in its folder, with no display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tmp/root/usr/bin/mcplot" --version) ||
  fail "packaged mcplot --version"
case "$version" in
  "МК-Графики (mcplot) "*) ;;
  *) fail "packaged mcplot --version printed: $version" ;;
esac

[ $status -eq 0 ] && echo "package checks passed"
exit $status
