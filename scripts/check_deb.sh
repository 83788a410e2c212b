#!/usr/bin/env bash
# Unpacks the Debian package built in the build folder given (make deb) into
# a scratch root and checks it: the files a desktop needs are there, the
# dependencies name Qt, and the program in it answers --version with the
# package's version.
set -euo pipefail
build="${1:-build}"
deb=$(ls -t "$build"/quorbel_*.deb 2>/dev/null | head -n1 || true)
[ -n "$deb" ] || { echo "no quorbel_*.deb in $build: run make deb" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
failed=0
for f in usr/bin/quorbel usr/share/applications/quorbel.desktop \
         usr/share/metainfo/org.example.quorbel.metainfo.xml \
         usr/share/icons/hicolor/256x256/apps/quorbel.png usr/share/icons/hicolor/16x16/apps/quorbel.png \
         usr/share/quorbel/Language/English.lan usr/share/quorbel/Language/Deutsch.lan; do
  [ -e "$root/$f" ] || { echo "missing in $deb: /$f" >&2; failed=1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
  *libqt6widgets6*) ;;
  *) echo "the dependencies do not name Qt's widgets library: $depends" >&2; failed=1 ;;
esac
# No display is needed to answer --version.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quorbel" --version)
if [ "$answer" != "Quorbel $version" ]; then
  echo "quorbel --version from the package said \"$answer\", expected \"Quorbel $version\"" >&2
  failed=1
fi
[ $failed -eq 0 ] && echo "$deb: files, dependencies and --version ($answer) all right"
exit $failed
