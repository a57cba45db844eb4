#!/usr/bin/env bash
# Converts logs through the real window program in a real X server, by the keyboard alone, and
# checks the files against the command-line converter's: a run through the save dialog, a split
# run that names its slices itself, a cancelled open dialog, a window closed during a run, and a
# fatal error. Starts its own Xvfb on a free
# display and leaves no process and no file behind, however it ends.
#   run_e2e.sh VELUNOR VELUNOR_CONVERT VELUNOR_GENLOG CLOSE_WINDOW
set -euo pipefail
velunor=$(realpath "$1") convert=$(realpath "$2") genlog=$(realpath "$3")
close_window=$(realpath "$4")
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-e2e-XXXXXX")
xvfb_pid="" app_pid=""
cleanup() {
  local pid
  for pid in $app_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/app.log" ] && sed 's/^/  velunor: /' "$work/app.log" >&2
  exit 1
}
step() { echo "== $*"; }

# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
start_x_server
mkdir "$work/ref"

step "run through the save dialog, accepting its proposal"
"$genlog" log 3000000 >"$work/plain_DAT.LOG"
start_app
open_log "$work/plain_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
xdotool key Return
confirm_summary
"$convert" -o "$work/ref/plain.CSV" "$work/plain_DAT.LOG" >/dev/null
cmp "$work/plain.CSV" "$work/ref/plain.CSV" || fail "plain.CSV differs from the converter's"
close_app

step "split run: interval set by keyboard, no save dialog, slices named by their logging time"
cp "$work/plain_DAT.LOG" "$work/split_DAT.LOG"
start_app
# From the file button over the option group and the append box to the scroll bar, then one
# minute and one hour further: 61 minutes.
xdotool key Tab Tab Tab Right Next
open_log "$work/split_DAT.LOG"
window '^Velunor$' >/dev/null
! xdotool search --name '^CSV-Datei zum Speichern' >/dev/null || fail "a save dialog was shown"
confirm_summary
close_app
mkdir "$work/ref/split"
cp "$work/split_DAT.LOG" "$work/ref/split/"
"$convert" --split=61 "$work/ref/split/split_DAT.LOG" >/dev/null
slices=$(cd "$work/ref/split" && ls split_*.CSV)
[ "$slices" = "$(printf 'split_00d00h00m.CSV\nsplit_00d01h01m.CSV\nsplit_00d02h02m.CSV')" ] ||
  fail "unexpected reference slices: $slices"
[ "$(cd "$work" && ls split_*.CSV)" = "$slices" ] || fail "slices: $(cd "$work" && ls split_*)"
for slice in $slices; do
  cmp "$work/$slice" "$work/ref/split/$slice" || fail "$slice differs from the converter's"
done

step "cancelled open dialog: the window stays as it was, nothing is written"
before=$(ls -A "$work")
start_app
for _ in 1 2; do  # the button keeps its access key after a cancel
  xdotool windowfocus --sync "$main" key alt+d
  window '^Log-Datei zum Einlesen' >/dev/null
  xdotool key Escape
  gone '^Log-Datei zum Einlesen'
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended after the cancel"
done
[ "$(ls -A "$work")" = "$before" ] || fail "files changed: $(ls -A "$work")"
close_app

step "window closed during a run: the run stops, its output so far stays, the program ends well"
"$genlog" log $((64 << 20)) >"$work/closed_DAT.LOG"
cp "$work/closed_DAT.LOG" "$work/ref/closed_DAT.LOG"
start_app
open_log "$work/closed_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
xdotool key Return
# The CSV file appears once the run has begun; the run is held while the close is asked for, so
# that it surely meets the request at one of its passes over the waiting events.
tries=0
until [ -e "$work/closed.CSV" ]; do
  tries=$((tries + 1))
  [ "$tries" -lt 2000000 ] || fail "the run did not begin"
done
kill -STOP "$app_pid"
"$close_window" "$main"
sleep 0.1
kill -CONT "$app_pid"
expect_end 0  # a message would have kept it running
"$convert" -o "$work/ref/closed.CSV" "$work/ref/closed_DAT.LOG" >/dev/null
cmp "$work/closed_DAT.LOG" "$work/ref/closed_DAT.LOG" || fail "the log was changed"
kept=$(stat -c %s "$work/closed.CSV")
[ "$kept" -lt "$(stat -c %s "$work/ref/closed.CSV")" ] || fail "the run was not stopped"
cmp -n "$kept" "$work/closed.CSV" "$work/ref/closed.CSV" || fail "closed.CSV is not the beginning"
echo "   $kept bytes kept"

step "fatal error: the log chosen as its own CSV (appending, so without a question)"
cp "$work/plain_DAT.LOG" "$work/ref/fatal_DAT.LOG"
cp "$work/plain_DAT.LOG" "$work/fatal_DAT.LOG"
start_app
xdotool key Tab Tab space  # from the file button over the option group to the append box
open_log "$work/fatal_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
xdotool type --delay 2 "fatal_DAT.LOG"
xdotool key Return
window '^Es ist ein Fehler aufgetreten - Programm-Ende:$' >/dev/null
kill -0 "$app_pid" 2>/dev/null || fail "the program ended before the message was closed"
xdotool key Return
expect_end 1
cmp "$work/fatal_DAT.LOG" "$work/ref/fatal_DAT.LOG" || fail "the log was changed"

step "all passed"
