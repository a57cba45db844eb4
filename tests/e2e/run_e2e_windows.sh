#!/usr/bin/env bash
# The Windows window program under Wine in a private Xvfb, in German, driven by the keyboard through
# the system's own open and save dialogs: it converts as velunor-convert.exe does, keeps the whole
# records written when its window is closed during a run, ends with its critical message when the
# output is the log itself (error 55) and leaves the log untouched, and at 150 % its window is one
# and a half times as large. Leaves nothing behind.
#   run_e2e_windows.sh VELUNOR_EXE [VELUNOR_CONVERT_EXE]
# The converter defaults to the one beside the window program (as installed). The programs run in
# a fresh Wine prefix of the test's own: Wine's programs of one prefix share one desktop, which
# would end with another test's display.
set -euo pipefail
velunor=$(realpath "$1")
convert=$(realpath "${2:-$(dirname "$velunor")/velunor-convert.exe}")
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver
export WINEDEBUG=-all
# Wine's own dialogs speak the language of the locale.
if locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
else
  echo "note: no de_DE.UTF-8 locale (scripts/test-windows generates it); Wine speaks English" >&2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-e2e-windows-XXXXXX")
xvfb_pid="" app_pid=""
set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
cleanup() {
  set +e
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -d "$work/wine" ] && "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
start_x_server
export WINEPREFIX=$work/wine
"$wine" wineboot -i >/dev/null 2>&1 || true

# The program in the work folder, under Wine; waits for its window.
start_app() {
  (cd "$work" && exec "$wine" "$velunor") >"$work/app.log" 2>&1 &
  app_pid=$!
  main=$(window '^Velunor V2\.0\.2$')
}
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Types a path into the file dialog that has the keyboard, as Windows names it, and confirms it.
type_path() {
  sleep 0.5  # the dialog fills its list first
  xdotool type --delay 5 "$(winpath "$1")"
  xdotool key Return
}
# Records of 57 bytes, one per second of logging time (their seconds repeat every 10000), and a
# faulty line.
write_log() {
  python3 - "$1" "$2" <<'PY'
import sys
count = int(sys.argv[2])
block = b"".join(b"$1;1;;%08d%s\r\n" % (i, b"0" * 41) for i in range(10000))
with open(sys.argv[1], "wb") as log:
    for _ in range(count // 10000):
        log.write(block)
    log.write(block[: 57 * (count % 10000)] + b"$2;1;;faulty\r\n")
PY
}

echo "== a log through the open and save dialogs: the converter's CSV, the summary"
set_dpi 96
write_log "$work/m_DAT.LOG" 20000
"$wine" "$convert" -o "$("$wine" winepath -w "$work/ref.CSV" | tr -d '\r')" \
  "$("$wine" winepath -w "$work/m_DAT.LOG" | tr -d '\r')" >/dev/null 2>&1 || fail "velunor-convert.exe failed"
"$wine" reg export HKCU "$(winpath "$work/before.reg")" /y >/dev/null 2>&1
start_app
read -r width height < <(xdotool getwindowgeometry --shell "$main" | awk -F= '/^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print w, h}')
[ "$width x $height" = "353 x 277" ] || fail "at 96 dpi the client area is $width x $height"
xdotool key alt+d
window '^Log-Datei zum Einlesen' >/dev/null
type_path "$work/m_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
sleep 0.5
xdotool key Return  # the proposal: m.CSV beside the log
window '^Velunor$' >/dev/null
xdotool key Return
gone '^Velunor$'
cmp "$work/m.CSV" "$work/ref.CSV" || fail "m.CSV differs from the converter's"
# Nothing of the run in the registry: no recently used files or folders of the dialogs.
"$wine" reg export HKCU "$(winpath "$work/after.reg")" /y >/dev/null 2>&1
[ -s "$work/before.reg" ] && [ -s "$work/after.reg" ] || fail "the registry could not be exported"
added=$(diff <(iconv -f UTF-16 -t UTF-8 "$work/before.reg") <(iconv -f UTF-16 -t UTF-8 "$work/after.reg") |
  grep '^>' | grep -ai -e 'DAT\.LOG' -e '\.CSV' -e 'velunor' || true)
[ -z "$added" ] || fail "the registry holds the run: $added"
rm "$work/before.reg" "$work/after.reg"

echo "== the window closed during a second run: whole records kept, the program ends"
write_log "$work/big_DAT.LOG" 4000000
# The button has lost its access key with the first run, but still has the keyboard.
xdotool windowfocus --sync "$main" key Return
window '^Log-Datei zum Einlesen' >/dev/null
type_path "$work/big_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
sleep 0.5
xdotool key Return
for _ in $(seq 200); do
  [ -s "$work/big.CSV" ] && break
  sleep 0.05
done
[ -s "$work/big.CSV" ] || fail "the run has not begun"
xdotool windowfocus --sync "$main" key alt+F4
expect_end 0
kept=$(stat -c %s "$work/big.CSV")
log_size=$(stat -c %s "$work/big_DAT.LOG")
[ "$kept" -gt 0 ] && [ "$kept" -lt "$log_size" ] || fail "big.CSV has $kept bytes"
[ $((kept % 57)) = 0 ] || fail "big.CSV ends inside a record ($kept bytes)"
cmp -n "$kept" "$work/big.CSV" "$work/big_DAT.LOG" || fail "big.CSV differs from the log"

echo "== appending to the log itself: error 55, the critical message, the end; the log untouched"
before=$(md5sum <"$work/m_DAT.LOG")
start_app
xdotool key alt+a alt+d  # tick the append box, then the file button
window '^Log-Datei zum Einlesen' >/dev/null
type_path "$work/m_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
sleep 0.5
xdotool key ctrl+a
type_path "$work/m_DAT.LOG"
window '^Es ist ein Fehler aufgetreten - Programm-Ende:$' >/dev/null
xdotool key Return
expect_end 1
[ "$(md5sum <"$work/m_DAT.LOG")" = "$before" ] || fail "the log was changed"

echo "== at 150 %: the window one and a half times as large"
set_dpi 144
start_app
read -r width height < <(xdotool getwindowgeometry --shell "$main" | awk -F= '/^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print w, h}')
[ "$width x $height" = "530 x 416" ] || fail "at 144 dpi the client area is $width x $height"
xdotool windowfocus --sync "$main" key alt+F4
expect_end 0

leftover=$(cd "$work" && ls | grep -v -e '^display$' -e '^xvfb.log$' -e '^runtime$' -e '^app.log$' -e '^wine$' | sort | paste -sd' ')
[ "$leftover" = "big.CSV big_DAT.LOG m.CSV m_DAT.LOG ref.CSV" ] || fail "files in the folder: $leftover"
echo "all checks passed"
