#!/usr/bin/env bash
# Builds the two Debian packages and checks what a new user meets: each holds its program's files
# where a desktop looks for them, valid for the tools that read them, lintian-clean (stripped
# programs, icon sizes and man pages among its checks), and the converter's needs
# nothing of Qt. As root it installs both and purges them, leaving no file; else skipped (77).
#   check_package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-package-XXXXXX")
chmod 755 "$work" # apt reads a local package as its own unprivileged user
installed=0
cleanup() {
  if [ $installed -eq 1 ]; then
    apt-get purge -y -q velunor velunor-convert >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The README's command, so that what a newcomer installs is what is checked here.
rm -f "$build"/deb/*.deb
cmake --build "$build" --target deb >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
window_deb=$build/deb/velunor_2.0.2_amd64.deb
convert_deb=$build/deb/velunor-convert_2.0.2_amd64.deb
for deb in "$window_deb" "$convert_deb"; do
  [ -f "$deb" ] || { echo "not built: $(basename "$deb")"; cat "$work/cpack.log"; exit 1; }
done
dpkg-deb -x "$window_deb" "$work/window"
dpkg-deb -x "$convert_deb" "$work/convert"

fail=0
check_files() { # ROOT FILE...: each file is in the unpacked package, and no other file is
  local root=$1 && shift
  local expected found
  expected=$(printf '%s\n' "$@" | sort)
  found=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
  [ "$found" = "$expected" ] ||
    { echo "files of $(basename "$root"):"; diff <(echo "$expected") <(echo "$found"); fail=1; }
}
check_files "$work/window" usr/bin/velunor usr/share/applications/velunor.desktop \
  usr/share/icons/hicolor/{16x16,32x32,48x48}/apps/velunor.png \
  usr/share/icons/hicolor/scalable/apps/velunor.svg \
  usr/share/man/{de/,}man1/velunor.1.gz usr/share/doc/velunor/{copyright,changelog.gz} \
  usr/share/metainfo/invalid.velunor.velunor.metainfo.xml
check_files "$work/convert" usr/bin/velunor-convert usr/share/man/{de/,}man1/velunor-convert.1.gz \
  usr/share/doc/velunor-convert/{copyright,changelog.gz} \
  usr/share/bash-completion/completions/velunor-convert
grep -q '^License: Expat' "$work/convert/usr/share/doc/velunor-convert/copyright" ||
  { echo "copyright: no MIT (Expat) licence"; fail=1; }

share=$work/window/usr/share
desktop-file-validate "$share/applications/velunor.desktop" || fail=1
# lintian reports groff's warnings, but not a NAME line that apropos cannot read.
for page in "$work"/{window,convert}/usr/share/man/{de/,}man1/*.1.gz; do
  lexgrog "$page" >/dev/null || { echo "$page: no NAME line apropos can read"; fail=1; }
done

# The metainfo must name the desktop entry and the licence.
metainfo=("$share"/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[@]}" >"$work/log" || { cat "$work/log"; fail=1; }
grep -q '"desktop-id">velunor.desktop<' "${metainfo[@]}" || { echo "no launchable"; fail=1; }
grep -q '<project_license>MIT<' "${metainfo[@]}" || { echo "metainfo: not MIT"; fail=1; }
# No address that leads nowhere: the reserved domain stays only where a field needs an address.
grep -r 'https\?://[^ ]*\.invalid' "$work"/{window,convert} <(dpkg-deb -f "$window_deb") &&
  { echo "a placeholder address is shipped"; fail=1; }

# One smoke run of the completion: the --status values, and only logs (and folders) as arguments.
mkdir -p "$work/logs/folder" && touch "$work/logs/a_DAT.LOG" "$work/logs/b.LOG"
offered=$(cd "$work/logs" && bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
  offer() { COMP_LINE=$1 COMP_POINT=${#1}; shift; COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
    COMPREPLY=(); _velunor_convert velunor-convert "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    printf "%s\n" "${COMPREPLY[*]}"; }
  offer "velunor-convert --status=" velunor-convert --status =
  offer "velunor-convert -o - " velunor-convert -o - ""' sh \
  "$work"/convert/usr/share/bash-completion/completions/velunor-convert)
[ "$offered" = $'copy transform discard\na_DAT.LOG folder' ] || { echo "completion: $offered"; fail=1; }

[ "$("$work/convert/usr/bin/velunor-convert" --version)" = "velunor-convert 2.0.2" ] ||
  { echo "unpacked program: wrong version"; fail=1; }
# The window needs the Qt plugins and translations, which no library link brings in.
window_depends=$(dpkg-deb -f "$window_deb" Depends)
for needed in libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n; do
  grep -q "$needed" <<<"$window_depends" || { echo "velunor does not depend on $needed"; fail=1; }
done
grep -i 'qt\|velunor' <(dpkg-deb -f "$convert_deb" Depends Recommends) &&
  { echo "velunor-convert needs Qt or the window"; fail=1; }
lintian --fail-on error,warning "$window_deb" "$convert_deb" >"$work/log" 2>&1 ||
  { cat "$work/log"; fail=1; }
[ $fail -eq 0 ] || exit 1
echo "packages checked; velunor: $window_depends"

# Installing and purging, in the system itself: only as root, and only from a clean state.
[ "$(id -u)" -eq 0 ] || { echo "not root: installing and purging not checked"; exit 77; }
state() { dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || echo not-installed; }
for package in velunor velunor-convert; do
  [ "$(state "$package")" = not-installed ] ||
    { echo "$package is $(state "$package") already: purge it before this test"; exit 1; }
done
apt=(apt-get -y -q --no-install-recommends -o DPkg::Lock::Timeout=120)
installed=1
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" install "$convert_deb" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
# Qt is on this machine for the build, so whether any came along shows little: follow every
# dependency the package could pull in instead.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances velunor-convert | grep -v '^ ' | sort -u)
grep -q '^libc6$' <<<"$closure" || { echo "no dependencies followed: $closure"; fail=1; }
if grep -i 'qt\|^velunor$' <<<"$closure"; then
  echo "velunor-convert could pull in the above"
  fail=1
fi
"${apt[@]}" install "$window_deb" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
dpkg-query -L velunor velunor-convert | sort -u >"$work/files" || { echo "not installed"; fail=1; }

"${apt[@]}" purge velunor velunor-convert >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
installed=0
for package in velunor velunor-convert; do
  [ "$(state "$package")" = not-installed ] || { echo "$package: $(state "$package")"; fail=1; }
done
# Folders such as /usr/share/man stay for other packages; the packages' own ones must go.
while read -r path; do
  if [ -f "$path" ] || [ -L "$path" ] || [[ -d $path && $path == */velunor* ]]; then
    echo "left after purge: $path"
    fail=1
  fi
done <"$work/files"
[ $fail -eq 0 ] && echo "velunor-convert installed alone without Qt, velunor beside it, both purged"
exit $fail
