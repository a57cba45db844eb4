#!/usr/bin/env bash
# Installs the MSI under Wine as an administrator would (msiexec /i /qn), checks what it put where,
# lets a later version replace it, and uninstalls that (msiexec /x /qn): no file, Start-menu entry
# or registry key of it may stay behind.
#   check_msi.sh MSI STAGED_FOLDER WXS
# STAGED_FOLDER holds exactly the files the installer must install, WXS is the installer's source
# (for building the later version). Where the window program is installed, the window's
# end-to-end test runs against the installed copy: tests/e2e/run_e2e_windows.sh INSTALLED_EXE.
set -euo pipefail
msi=$1 staged=$2 wxs=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/windows_package_checks.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-msi-XXXXXX")
folder="$WINEPREFIX/drive_c/Program Files/Velunor"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

property() { msiinfo export "$1" Property | tr -d '\r' | awk -v name="$2" '$1 == name { print $2 }'; }
product=$(property "$msi" ProductCode)
version=$(property "$msi" ProductVersion)
start_menu_links() {
  find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -iname 'Velunor*.lnk' 2>/dev/null || true
}
registry_value() { run_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'; }
# Whatever happens, the prefix is left without Velunor.
cleanup() {
  run_wine msiexec /x "$msi" /qn >/dev/null 2>&1 || true
  [ -f "$work/next.msi" ] && { run_wine msiexec /x "$work/next.msi" /qn >/dev/null 2>&1 || true; }
  rm -rf "$work"
}
trap cleanup EXIT
[ ! -e "$folder" ] || fail "Velunor is installed before the test"

run_wine msiexec /i "$msi" /qn || fail "msiexec /i ended with $?"
installed=$(cd "$folder" 2>/dev/null && find . -type f | sort | paste -sd' ')
expected=$(cd "$staged" && find . -type f | sort | paste -sd' ')
[ "$installed" = "$expected" ] || fail "installed: '$installed', expected: '$expected'"
for file in "$staged"/*; do
  cmp -s "$file" "$folder/$(basename "$file")" || fail "$(basename "$file") installed changed"
done
[ "$(registry_value "$uninstall_key\\$product" DisplayName)" = Velunor ] ||
  fail "no uninstall entry 'Velunor'"
[ "$(registry_value "$uninstall_key\\$product" DisplayVersion)" = "$version" ] ||
  fail "uninstall entry not of version $version"
version_line=$(run_wine "$folder/velunor-convert.exe" --version | tr -d '\r')
[ "$version_line" = "velunor-convert $version" ] || fail "installed --version gave '$version_line'"
if [ -f "$staged/Velunor.exe" ]; then
  links=$(start_menu_links)
  [ "$(basename "$links")" = Velunor.lnk ] || fail "Start-menu entries: '$links'"
  grep -qa 'Velunor\.exe' "$links" || fail "$links does not start Velunor.exe"
  if [ -x "$here/../e2e/run_e2e_windows.sh" ]; then
    "$here/../e2e/run_e2e_windows.sh" "$folder/Velunor.exe" || fail "window test on the installed program"
  fi
else
  [ -z "$(start_menu_links)" ] || fail "a Start-menu entry without the window program"
fi

# A later version, built from the same source, takes this one's place.
IFS=. read -r major minor patch <<<"$version"
next="$major.$minor.$((patch + 1))"
defines=(-D "Version=$next" -D Icon=velunor.ico)
staged_name=$(basename "$staged")
for file in "$staged"/*; do
  case $(basename "$file") in
    velunor-convert.exe) defines+=(-D "ConvertExe=$staged_name/velunor-convert.exe") ;;
    Velunor.exe) defines+=(-D "WindowExe=$staged_name/Velunor.exe") ;;
    LIESMICH.txt) defines+=(-D "ReadMe=$staged_name/LIESMICH.txt") ;;
    LICENSE.txt) defines+=(-D "Licence=$staged_name/LICENSE.txt") ;;
  esac
done
(cd "$staged/.." && wixl -a x64 "${defines[@]}" -o "$work/next.msi" "$wxs") || fail "wixl $next"
next_product=$(property "$work/next.msi" ProductCode)
run_wine msiexec /i "$work/next.msi" /qn || fail "msiexec /i of $next ended with $?"
[ -z "$(registry_value "$uninstall_key\\$product" DisplayName)" ] || fail "$version stays beside $next"
[ "$(registry_value "$uninstall_key\\$next_product" DisplayVersion)" = "$next" ] ||
  fail "$next not installed"
[ -f "$folder/velunor-convert.exe" ] || fail "the update removed velunor-convert.exe"

run_wine msiexec /x "$work/next.msi" /qn || fail "msiexec /x ended with $?"
[ ! -e "$folder" ] || fail "left behind: $(find "$folder")"
[ -z "$(start_menu_links)" ] || fail "Start-menu entry left behind"
[ -z "$(registry_value "$uninstall_key\\$next_product" DisplayName)" ] || fail "uninstall entry left"
run_wine reg query 'HKCU\Software\Velunor' >/dev/null 2>&1 && fail "HKCU\\Software\\Velunor left"
finish
