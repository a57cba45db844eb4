#!/usr/bin/env bash
# The zip and the installer for Windows, under Wine: both deliver the staged folder, which holds the
# files the installer's source names; the installer per machine into Program Files\Velunor with a
# Start-menu entry, replaced by a later version, whose uninstall leaves nothing behind.
#   check_windows_packages.sh PACKAGE(without .zip/.msi) STAGED_FOLDER WXS
set -euo pipefail
package=$1 staged=$2 wxs=$3
version=${staged##*-} here=$(cd "$(dirname "$0")" && pwd)
wine=$(command -v /usr/lib/wine/wine64 wine64 | head -n 1)
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-windows-XXXXXX")
folder="$WINEPREFIX/drive_c/Program Files/Velunor"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
export WINEDEBUG=-all
cleanup() { "$wine" msiexec /x "$package.msi" /qn; "$wine" msiexec /x "$work/next.msi" /qn; }
trap 'set +e; cleanup &>/dev/null; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2 && failed=1; }
[ ! -e "$folder" ] || { fail "Velunor is installed before the test" && exit 1; }

(cd "$work" && cmake -E tar xf "$package.zip")
[ "$(ls "$work")" = "Velunor-$version" ] || fail "the zip holds $(ls "$work")"
diff -r "$staged" "$work/Velunor-$version" || fail "the zip differs from the staged folder"
names=$(grep -o ' Name="[^"]*\.[a-z]*"' "$wxs" | cut -d'"' -f2 | sort)
[ "$(ls "$staged" | sort)" = "$names" ] || fail "staged: $(ls "$staged"), the installer's: $names"
# The read-me: UTF-8 with the mark Notepad recognises, and CR LF ending every line.
readme=$staged/LIESMICH.txt
[ "$(head -c 3 "$readme")" = $'\xef\xbb\xbf' ] && iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null &&
  ! grep -q $'[^\r]$' "$readme" && [ -z "$(tail -c 1 "$readme")" ] ||
  fail "LIESMICH.txt: not UTF-8 with a mark and CR LF"
grep -q "Velunor $version für Windows" "$readme" || fail "LIESMICH.txt: not for $version"
for program in "$staged"/*.exe; do
  ! x86_64-w64-mingw32-objdump -h "$program" | grep '\.debug' || fail "$program: debug sections"
  resources=$(x86_64-w64-mingw32-windres -i "$program" -O rc 2>/dev/null) || true
  for want in "FILEVERSION ${version//./, }, 0" "\"ProductVersion\", \"$version\"" \
    "\"FileVersion\", \"$version\"" "\"ProductName\", \"Velunor\"" "\"CompanyName\", \"Velunor\"" \
    "\"FileDescription\", \"Velunor" "Has 3 elements" "true/pm" "PerMonitorV2, PerMonitor" \
    "Microsoft.Windows.Common-Controls\"\" version=\"\"6.0.0.0"; do
    grep -qF "$want" <<<"$resources" || fail "$program: resources lack $want"
  done
done

# The uninstall entry of the installer given: its name and version.
entry() { code=$(msiinfo export "$1" Property | awk '$1 == "ProductCode" { print $2 }' | tr -d '\r')
  "$wine" reg query "$uninstall\\$code" 2>/dev/null | tr -d '\r' |
    awk '$1 ~ /^Display(Name|Version)$/ { print $1 "=" $3 }' | sort | paste -sd' '; }
links() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -iname 'Velunor*' || true; }
# Per machine: Wine puts even such an installer's Start-menu entry into the user's menu.
msiinfo export "$package.msi" Property | grep $'^ALLUSERS\t1' >/dev/null || fail "not for all users"
"$wine" msiexec /i "$package.msi" /qn || fail "msiexec /i ended with $?"
diff -r "$staged" "$folder" || fail "installed files differ from the staged ones"
[ "$(entry "$package.msi")" = "DisplayName=Velunor DisplayVersion=$version" ] ||
  fail "uninstall entry: $(entry "$package.msi")"
[ "$("$wine" "$folder/velunor-convert.exe" --version | tr -d '\r')" = "velunor-convert $version" ] ||
  fail "the installed converter is not of version $version"
[ "$(links | xargs -r -d '\n' basename)" = Velunor.lnk ] && grep -qa 'Velunor\.exe' "$(links)" ||
  fail "Start-menu entries: $(links)"
"$here/../e2e/run_e2e_windows.sh" "$folder/Velunor.exe" || fail "the installed window program"

# A later version, built from the same source with the same files, takes this one's place.
next=${version%.*}.$((${version##*.} + 1))
defines=(-D "Version=$next" -D Icon=velunor.ico)
while read -r name define; do
  defines+=(-D "$define=$(basename "$staged")/$name")
done < <(sed -n 's/.* Name="\([^"]*\)" Source="$(var\.\([A-Za-z]*\))".*/\1 \2/p' "$wxs")
(cd "$staged/.." && wixl -a x64 "${defines[@]}" -o "$work/next.msi" "$wxs") || fail "wixl $next"
"$wine" msiexec /i "$work/next.msi" /qn || fail "msiexec /i of $next ended with $?"
[ -z "$(entry "$package.msi")" ] || fail "$version stays beside $next"
[ "$(entry "$work/next.msi")" = "DisplayName=Velunor DisplayVersion=$next" ] ||
  fail "$next is not installed"
diff -r "$staged" "$folder" || fail "the update changed the installed files"

"$wine" msiexec /x "$work/next.msi" /qn || fail "msiexec /x ended with $?"
[ ! -e "$folder" ] || fail "left behind: $(find "$folder")"
[ -z "$(links)$(entry "$work/next.msi")" ] || fail "Start-menu entry or uninstall entry left"
! "$wine" reg query 'HKCU\Software\Velunor' &>/dev/null || fail "HKCU\\Software\\Velunor left"
exit $failed
