#!/usr/bin/env bash
# The Windows window program under Wine, driven by the keyboard through the system's own open and
# save dialogs: it converts as velunor-convert.exe does and leaves nothing in the registry, keeps
# whole records when its window is closed during a run, ends with its critical message when the
# output is the log itself (error 55) and leaves the log untouched, and at 150 % its window is
# one and a half times as large. Leaves nothing behind.
#   run_e2e_windows.sh VELUNOR_EXE [VELUNOR_CONVERT_EXE]
# The converter defaults to the one beside the window program (as installed).
set -euo pipefail
[ -n "${VELUNOR_X_SERVER:-}" ] || exec "$(dirname "$0")/with_x_server.sh" "$0" "$@"
velunor=$(realpath "$1")
convert=$(realpath "${2:-$(dirname "$velunor")/velunor-convert.exe}")
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-e2e-windows-XXXXXX")
app_pid=""
# shellcheck disable=SC2086  # the id, when set, is a word of its own
trap 'kill $app_pid 2>/dev/null || true; wait; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
"$wine" wineboot -i >/dev/null 2>&1 || true

set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
start_app() {
  (cd "$work" && exec "$wine" "$velunor") >"$work/app.log" 2>&1 &
  app_pid=$!
  main=$(window '^Velunor V2\.0\.2$')
}
expect_client_size() {
  [ "$(xdotool getwindowgeometry --shell "$main" | awk -F= '/^(WIDTH|HEIGHT)=/{printf "%s ", $2}')" = "$1 " ] ||
    fail "the client area is not $1"
}
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Types a path into the file dialog that has the keyboard, as Windows names it, and confirms it.
type_path() {
  sleep 0.5  # the dialog fills its list first
  xdotool type --delay 5 "$(winpath "$1")"
  xdotool key Return
}
# Chooses the log in the open dialog and the CSV file in the save dialog (by default its proposal).
through_dialogs() {
  window '^Log-Datei zum Einlesen' >/dev/null
  type_path "$1"
  window '^CSV-Datei zum Speichern' >/dev/null
  if [ -n "${2:-}" ]; then
    xdotool key ctrl+a
    type_path "$2"
  else
    sleep 0.5
    xdotool key Return  # the proposal: beside the log, named after it
  fi
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
registry() { "$wine" reg export HKCU "$(winpath "$1")" /y >/dev/null 2>&1 && iconv -f UTF-16 -t UTF-8 "$1" && rm "$1"; }

echo "== a log through the open and save dialogs: the converter's CSV, the summary, no registry trace"
set_dpi 96
write_log "$work/m_DAT.LOG" 20000
"$wine" "$convert" -o "$(winpath "$work/ref.CSV")" "$(winpath "$work/m_DAT.LOG")" >/dev/null 2>&1 ||
  fail "velunor-convert.exe failed"
registry "$work/before.reg" >"$work/before.txt" || fail "the registry could not be exported"
start_app
expect_client_size "353 277"
xdotool key alt+d
through_dialogs "$work/m_DAT.LOG"
window '^Velunor$' >/dev/null
xdotool key Return
gone '^Velunor$'
cmp "$work/m.CSV" "$work/ref.CSV" || fail "m.CSV differs from the converter's"
# No recently used files or folders of the dialogs.
added=$(registry "$work/after.reg" | diff "$work/before.txt" - | grep '^>' |
  grep -ai -e 'DAT\.LOG' -e '\.CSV' -e 'velunor' || true)
[ -z "$added" ] || fail "the registry holds the run: $added"
rm "$work/before.txt"

echo "== the window closed during a second run: whole records kept, the program ends"
write_log "$work/big_DAT.LOG" 4000000
# The button has lost its access key with the first run, but still has the keyboard.
xdotool windowfocus --sync "$main" key Return
through_dialogs "$work/big_DAT.LOG"
for _ in $(seq 200); do
  [ -s "$work/big.CSV" ] && break
  sleep 0.05
done
xdotool windowfocus --sync "$main" key alt+F4
expect_end 0
kept=$(stat -c %s "$work/big.CSV")
[ "$kept" -gt 0 ] && [ "$kept" -lt "$(stat -c %s "$work/big_DAT.LOG")" ] || fail "big.CSV has $kept bytes"
[ $((kept % 57)) = 0 ] || fail "big.CSV ends inside a record ($kept bytes)"
cmp -n "$kept" "$work/big.CSV" "$work/big_DAT.LOG" || fail "big.CSV differs from the log"

echo "== appending to the log itself: error 55, the critical message, the end; the log untouched"
before=$(md5sum <"$work/m_DAT.LOG")
start_app
xdotool key alt+a alt+d  # tick the append box, then the file button
through_dialogs "$work/m_DAT.LOG" "$work/m_DAT.LOG"
window '^Es ist ein Fehler aufgetreten - Programm-Ende:$' >/dev/null
xdotool key Return
expect_end 1
[ "$(md5sum <"$work/m_DAT.LOG")" = "$before" ] || fail "the log was changed"

echo "== at 150 %: the window one and a half times as large"
set_dpi 144
start_app
expect_client_size "530 416"
xdotool windowfocus --sync "$main" key alt+F4
expect_end 0

leftover=$(cd "$work" && ls | grep -vx 'app.log' | paste -sd' ')
[ "$leftover" = "big.CSV big_DAT.LOG m.CSV m_DAT.LOG ref.CSV" ] || fail "files in the folder: $leftover"
echo "all checks passed"
