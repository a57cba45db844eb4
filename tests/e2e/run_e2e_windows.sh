#!/usr/bin/env bash
# The Windows window program under Wine, by the keyboard through the system's own dialogs: it
# converts a log to its valid records, leaving nothing in the registry or its folder;
# at 150 % its window is one and a half times as large; a fatal error ends it with status 1.
#   run_e2e_windows.sh VELUNOR_EXE
set -euo pipefail
[ -n "${VELUNOR_X_SERVER:-}" ] || exec "$(dirname "$0")/with_x_server.sh" "$0" "$@"
exe=$(realpath "$1")
velunor=$(command -v /usr/lib/wine/wine64 wine64 | head -n 1) # starts the program given
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-e2e-windows-XXXXXX")
# shellcheck disable=SC2086  # the id, when set, is a word of its own
trap 'set +e; kill $app_pid 2>/dev/null; wait; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2 && exit 1; }
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
winpath() { "$velunor" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
registry() { "$velunor" reg export HKCU "$(winpath "$work/reg")" /y &>/dev/null &&
  iconv -f UTF-16 -t UTF-8 "$work/reg" && rm "$work/reg"; }
size_is() { [ "$(xdotool getwindowgeometry --shell "$main" | grep 'WIDTH\|HEIGHT' | paste -sd' ')" = \
  "WIDTH=$1 HEIGHT=$2" ] || fail "the client area is not $1 x $2"; }
# Confirms in the file dialog so titled the path given, or else its proposal.
choose() {
  window "$1" >/dev/null && sleep 0.5 # the dialog fills its list first
  [ -z "${2:-}" ] || xdotool key ctrl+a type --delay 5 "$(winpath "$2")"
  xdotool key Return
}

{ seq -f '$1;1;;%08g00000000000000000000000000000000000000000' 20000 && echo '$2;1;;faulty'; } |
  sed 's/$/\r/' >"$work/m_DAT.LOG"
before=$(registry) || fail "the registry could not be exported"
start_app "$exe"
size_is 353 277
xdotool key alt+d
choose '^Log-Datei zum Einlesen' "$work/m_DAT.LOG"
choose '^CSV-Datei zum Speichern' # the proposal: beside the log, named after it
confirm_summary
# No key or text value of the program's own. (Wine's file dialog, as Windows', lists its last
# folder per program in ComDlg32's LastVisitedMRU, in UTF-16 bytes that this does not read.)
added=$(diff <(echo "$before") <(registry) | grep '^>' | grep -ai 'DAT\.LOG\|\.CSV\|velunor' || true)
[ -z "$added" ] || fail "the registry holds the run: $added"
xdotool windowfocus --sync "$main" key alt+F4
expect_end 0

"$velunor" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f &>/dev/null
start_app "$exe"
size_is 530 416
# Appending to the log itself is fatal: the program ends with its message and status 1.
xdotool key alt+a alt+d
choose '^Log-Datei zum Einlesen' "$work/m_DAT.LOG"
choose '^CSV-Datei zum Speichern' "$work/m_DAT.LOG"
window '^Es ist ein Fehler aufgetreten - Programm-Ende:$' >/dev/null
xdotool key Return
expect_end 1
# The CSV holds the log's valid records, and the log is as it was.
cmp "$work/m.CSV" <(head -n -1 "$work/m_DAT.LOG") || fail "m.CSV is not the log's valid records"
[ "$(cd "$work" && echo *)" = "app.log m.CSV m_DAT.LOG" ] || fail "files in the folder: $(ls "$work")"
