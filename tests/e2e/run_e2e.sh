#!/usr/bin/env bash
# The real window program: without a display it says so; in a private Xvfb it ignores Qt's options,
# converts as the command-line converter does, ends with its critical message when the CSV reaches
# the file-size limit, and leaves the home folder as it found it.
#   run_e2e.sh VELUNOR VELUNOR_CONVERT VELUNOR_GENLOG
set -euo pipefail
velunor=$(realpath "$1") convert=$2 genlog=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-e2e-XXXXXX")
# shellcheck disable=SC2086  # the ids, when set, are words of their own
trap 'set +e; kill $app_pid $xvfb_pid 2>/dev/null; wait; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
fail() { echo "FAIL: $*" >&2; sed "s/^/  velunor: /" "$work/app.log" >&2 2>/dev/null; exit 1; }

said=$(env -u DISPLAY -u QT_QPA_PLATFORM "$velunor" 2>&1) && status=0 || status=$?
[[ $status == 1 && $said == "velunor: Kein Bildschirm (DISPLAY) gefunden;"* && $said != *$'\n'* ]] ||
  fail "without a display: status $status, said: $said"

# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
start_x_server
mkdir "$work/home"
export HOME=$work/home XDG_CONFIG_HOME="" XDG_CACHE_HOME="" XDG_DATA_HOME="" XDG_STATE_HOME=""
"$genlog" log 3000000 >"$work/m_DAT.LOG"
"$convert" -o "$work/ref.CSV" "$work/m_DAT.LOG" >/dev/null
ulimit -S -f 100 # KiB
# The caption stays the program's own; what Qt says at the start is still said.
QT_STYLE_OVERRIDE=Fremd start_app -qwindowtitle Fremd -reverse
ulimit -S -f unlimited
open_log "$work/m_DAT.LOG"
window '^CSV-Datei zum Speichern' >/dev/null
xdotool key Return
window '^Es ist ein Fehler aufgetreten - Programm-Ende:$' >/dev/null
xdotool key Return
expect_end 1
kept=$(stat -c %s "$work/m.CSV")
[ "$kept" -le 102400 ] || fail "m.CSV passed the limit"
cmp -n "$kept" "$work/m.CSV" "$work/ref.CSV" || fail "m.CSV differs from the converter's"
grep -q "invalid style override 'Fremd'" "$work/app.log" || fail "Qt's warning is lost"
[ -z "$(ls -A "$HOME")" ] || fail "the home folder changed: $(cd "$HOME" && find .)"
