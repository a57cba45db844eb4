#!/usr/bin/env bash
# Builds the Debian package from a finished build and unpacks it into a throw-away root: the
# programs, the desktop entry and the icons must be where a desktop looks for them, and the
# package must name the libraries the programs need.
#   check_package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(find "$work/out" -maxdepth 1 -name 'velunor_*.deb' | head -n 1)
[ -n "$deb" ] || { echo "no package built"; cat "$work/cpack.log"; exit 1; }
dpkg-deb -x "$deb" "$work/root"

fail=0
for file in usr/bin/velunor usr/bin/velunor-convert usr/share/applications/velunor.desktop \
  usr/share/icons/hicolor/16x16/apps/velunor.png usr/share/icons/hicolor/32x32/apps/velunor.png \
  usr/share/icons/hicolor/48x48/apps/velunor.png usr/share/icons/hicolor/scalable/apps/velunor.svg; do
  [ -f "$work/root/$file" ] || { echo "missing in package: /$file"; fail=1; }
done
for size in 16 32 48; do
  file "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/velunor.png" |
    grep -q "${size} x ${size}" || { echo "icon ${size}: wrong size"; fail=1; }
done
desktop-file-validate "$work/root/usr/share/applications/velunor.desktop" || fail=1

version=$("$work/root/usr/bin/velunor-convert" --version)
[ "$version" = "velunor-convert 2.0.2" ] || { echo "unpacked program says: $version"; fail=1; }

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins qt6-translations-l10n; do
  grep -q "$needed" <<<"$depends" || { echo "package does not depend on $needed: $depends"; fail=1; }
done
[ "$(dpkg-deb -f "$deb" Version)" = "2.0.2" ] || { echo "wrong package version"; fail=1; }
[ $fail -eq 0 ] && echo "package $(basename "$deb") checked: $depends"
exit $fail
