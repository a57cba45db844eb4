#!/usr/bin/env bash
# Builds the Debian package from a finished build and unpacks it into a throw-away root: the
# programs, desktop entry, icons, manual pages, completion and metainfo must be where a desktop
# looks for them, valid for the tools that read them, and the package must name the libraries the
# programs need and pass lintian without errors or warnings.
#   check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(find "$work/out" -maxdepth 1 -name 'velunor_*.deb' | head -n 1)
[ -n "$deb" ] || { echo "no package built"; cat "$work/cpack.log"; exit 1; }
dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share

fail=0
for file in usr/bin/velunor usr/bin/velunor-convert usr/share/applications/velunor.desktop \
  usr/share/icons/hicolor/16x16/apps/velunor.png usr/share/icons/hicolor/32x32/apps/velunor.png \
  usr/share/icons/hicolor/48x48/apps/velunor.png usr/share/icons/hicolor/scalable/apps/velunor.svg \
  usr/share/man/{de/,}man1/velunor{,-convert}.1.gz usr/share/doc/velunor/copyright \
  usr/share/bash-completion/completions/velunor-convert; do
  [ -f "$work/root/$file" ] || { echo "missing in package: /$file"; fail=1; }
done
for size in 16 32 48; do
  file "$share/icons/hicolor/${size}x${size}/apps/velunor.png" |
    grep -q "${size} x ${size}" || { echo "icon ${size}: wrong size"; fail=1; }
done
desktop-file-validate "$share/applications/velunor.desktop" || fail=1

for page in "$share"/man/{de/,}man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings"; fail=1; }
  lexgrog "$page" >/dev/null || { echo "$page: no NAME section found"; fail=1; }
done

# The metainfo must name the desktop entry and a screenshot that docs/ holds.
metainfo=("$share"/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[@]}" >"$work/log" || { cat "$work/log"; fail=1; }
grep -q '"desktop-id">velunor.desktop<' "${metainfo[@]}" || { echo "no launchable"; fail=1; }
shot=$(sed -n 's|.*<image[^>]*>.*/\(docs/[^<]*\)</image>.*|\1|p' "${metainfo[@]}")
[[ -n $shot && -f $source/$shot ]] || { echo "no screenshot: $shot"; fail=1; }

# One smoke run of the completion: the --status values, and only logs (and folders) as arguments.
mkdir -p "$work/logs/folder" && touch "$work/logs/a_DAT.LOG" "$work/logs/b.LOG"
offered=$(cd "$work/logs" && bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
  offer() { COMP_LINE=$1 COMP_POINT=${#1}; shift; COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
    COMPREPLY=(); _velunor_convert velunor-convert "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    printf "%s\n" "${COMPREPLY[*]}"; }
  offer "velunor-convert --status=" velunor-convert --status =
  offer "velunor-convert -o - " velunor-convert -o - ""' sh "$share"/bash-completion/completions/*)
[ "$offered" = $'copy transform discard\na_DAT.LOG folder' ] || { echo "completion: $offered"; fail=1; }

version=$("$work/root/usr/bin/velunor-convert" --version)
[ "$version" = "velunor-convert 2.0.2" ] || { echo "unpacked program says: $version"; fail=1; }

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins qt6-translations-l10n; do
  grep -q "$needed" <<<"$depends" || { echo "package does not depend on $needed: $depends"; fail=1; }
done
[ "$(dpkg-deb -f "$deb" Version)" = "2.0.2" ] || { echo "wrong package version"; fail=1; }
lintian --fail-on error,warning "$deb" >"$work/log" 2>&1 || { cat "$work/log"; fail=1; }
[ $fail -eq 0 ] && echo "package $(basename "$deb") checked: $depends"
exit $fail
