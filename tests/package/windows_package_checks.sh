# What the zip and the installer both deliver, checked the same way. Sourced.
failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}
finish() {
  [ "$failed" = 0 ] && echo "all checks passed"
  exit "$failed"
}

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64
export WINEDEBUG=-all
: "${WINEPREFIX:?set WINEPREFIX (scripts/test-windows and ctest --preset windows do)}"
run_wine() { "$wine" "$@"; }

# CR LF on every line (Notepad before Windows 10 shows nothing else as a line end), UTF-8 that
# Notepad recognises by its byte order mark, and the version it describes.
check_read_me() {
  local file=$1 version=$2
  [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$file: no UTF-8 mark"
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 || fail "$file: not UTF-8"
  [ "$(grep -c $'[^\r]$' "$file" || true)" = 0 ] || fail "$file: lines without CR LF"
  [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$file: last line open"
  grep -q "Velunor $version für Windows" "$file" || fail "$file: not for version $version"
}

# No debug sections; the version resource names the product and version; the icon holds the three
# sizes; the manifest asks for per-monitor DPI awareness and the common controls 6.
check_program() {
  local program=$1 version=$2 resources
  if x86_64-w64-mingw32-objdump -h "$program" | grep -q '\.debug'; then
    fail "$program: has debug sections"
  fi
  resources=$(x86_64-w64-mingw32-windres -i "$program" -O rc 2>/dev/null) ||
    fail "$program: resources unreadable"
  local want
  for want in "FILEVERSION ${version//./, }, 0" "\"ProductName\", \"Velunor\"" \
    "\"ProductVersion\", \"$version\"" "\"FileVersion\", \"$version\"" \
    "\"CompanyName\", \"Velunor\"" "\"OriginalFilename\", \"$(basename "$program")\"" \
    "Has 3 elements" "true/pm" "PerMonitorV2, PerMonitor" \
    "Microsoft.Windows.Common-Controls\"\" version=\"\"6.0.0.0"; do
    grep -qF "$want" <<<"$resources" || fail "$program: resources lack $want"
  done
  grep -q '"FileDescription", "[^"]' <<<"$resources" || fail "$program: no file description"
}
