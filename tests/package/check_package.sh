#!/usr/bin/env bash
# Builds the two Debian packages: each holds exactly its program's files, valid for the tools that
# read them and lintian-clean. As root it installs the converter alone, which may pull in nothing of
# Qt, then the window, and purges both, leaving no file; else skipped (77).
#   check_package.sh BUILD_DIR
set -euo pipefail
build=$1 installed="" status=0
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-package-XXXXXX")
chmod 755 "$work" # apt reads a local package as its own unprivileged user
trap 'set +e; [ -z "$installed" ] || apt-get purge -y -q velunor velunor-convert &>/dev/null
  rm -rf "$work"' EXIT
failed() { cat "$work/log" && exit 1; }
fail() { echo "$*" && status=1; }

# The README's command, so that what a newcomer installs is what is checked here.
rm -f "$build"/deb/*.deb
cmake --build "$build" --target deb &>"$work/log" || failed
window_deb=$build/deb/velunor_2.0.2_amd64.deb convert_deb=$build/deb/velunor-convert_2.0.2_amd64.deb
dpkg-deb -x "$window_deb" "$work/window" && dpkg-deb -x "$convert_deb" "$work/convert" || failed
# Each package holds exactly its program's files (diff: < missing, > not expected).
diff <(printf '%s\n' window/usr/{bin/velunor,share/applications/velunor.desktop} \
  window/usr/share/icons/hicolor/{{16x16,32x32,48x48}/apps/velunor.png,scalable/apps/velunor.svg} \
  window/usr/share/{man/{de/,}man1/velunor.1.gz,doc/velunor/{copyright,changelog.gz}} \
  window/usr/share/metainfo/invalid.velunor.velunor.metainfo.xml convert/usr/bin/velunor-convert \
  convert/usr/share/{man/{de/,}man1/velunor-convert.1.gz,doc/velunor-convert/{copyright,changelog.gz}} \
  convert/usr/share/bash-completion/completions/velunor-convert | sort) \
  <(cd "$work" && find window convert -type f | sort) || status=1
desktop-file-validate "$work"/window/usr/share/applications/* || status=1
appstreamcli validate --no-net "$work"/window/usr/share/metainfo/* || status=1
# lintian reports groff's warnings, but not a NAME line that apropos cannot read.
lexgrog "$work"/*/usr/share/man/{de/,}man1/* >/dev/null || status=1
# No address that leads nowhere: the reserved domain stays only where a field needs an address.
! grep -r 'https\?://[^ ]*\.invalid' "$work"/{window,convert} <(dpkg-deb -f "$window_deb") ||
  fail "a placeholder address is shipped"
# One smoke run of the completion: the --status values, and only logs (and folders) as arguments.
mkdir -p "$work/logs/folder" && touch "$work/logs/a_DAT.LOG" "$work/logs/b.LOG"
offered=$(cd "$work/logs" && bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
  offer() { COMP_LINE=$1 COMP_POINT=${#1} COMP_WORDS=("${@:2}") COMP_CWORD=$(($# - 2)) COMPREPLY=()
    _velunor_convert velunor-convert "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"; echo "${COMPREPLY[*]}"; }
  offer "velunor-convert --status=" velunor-convert --status =
  offer "velunor-convert -o - " velunor-convert -o - ""' sh \
  "$work"/convert/usr/share/bash-completion/completions/velunor-convert)
[ "$offered" = $'copy transform discard\na_DAT.LOG folder' ] || fail "completion: $offered"
# The window needs the Qt plugins and translations, which no library link brings in.
needs=$(dpkg-deb -f "$window_deb" Depends)
[[ $needs == *libqt6widgets6* && $needs == *qt6-qpa-plugins* && $needs == *qt6-translations-l10n* ]] ||
  fail "velunor depends on $needs"
lintian --fail-on error,warning "$window_deb" "$convert_deb" &>"$work/log" || fail "$(<"$work/log")"

# Installing and purging, in the system itself: only as root, and only from a clean state.
[ "$(id -u)" = 0 ] || { echo "not root: installing and purging not checked" && exit $((status ? 1 : 77)); }
state() { dpkg-query -W -f='${db:Status-Status} ' velunor velunor-convert 2>/dev/null | tr -d ' '; }
[[ $(state) =~ ^(not-installed)*$ ]] || { echo "purge velunor and velunor-convert first" && exit 1; }
apt=(apt-get -y -q --no-install-recommends -o DPkg::Lock::Timeout=120)
export DEBIAN_FRONTEND=noninteractive && installed=1
"${apt[@]}" install "$convert_deb" &>"$work/log" || failed
# Qt is here for the build anyway: follow every dependency the package could pull in instead.
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances velunor-convert | grep -v '^ ')
grep -qx libc6 <<<"$closure" || fail "no dependencies followed: $closure"
! grep -i 'qt\|^velunor$' <<<"$closure" || fail "velunor-convert could pull in the above"
"${apt[@]}" install "$window_deb" &>"$work/log" || failed
dpkg-query -L velunor velunor-convert | sort -u >"$work/files"
"${apt[@]}" purge velunor velunor-convert &>"$work/log" || failed
installed=""
# Folders such as /usr/share/man stay for other packages; the packages' own ones must go.
while read -r path; do
  [ -f "$path" ] || [ -L "$path" ] || [[ -d $path && $path == */velunor* ]] &&
    fail "left after purge: $path"
done <"$work/files"
exit $status
