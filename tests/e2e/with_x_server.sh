#!/usr/bin/env bash
# Runs a command with a private Xvfb as its display and a fresh Wine prefix of its own (Wine's
# programs of one prefix share one desktop, which would end with another test's display), Wine's
# own dialogs in German where the locale exists. Ends both with the command.
#   with_x_server.sh COMMAND [ARGUMENT...]
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-x-XXXXXX")
xvfb_pid="" app_pid=""
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver
cleanup() {
  set +e
  [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null
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
export WINEPREFIX=$work/wine WINEDEBUG=-all VELUNOR_X_SERVER=$DISPLAY
locale -a 2>/dev/null | grep -qix 'de_DE.utf8' && export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
if [[ $(basename "$1") == wine* ]]; then
  "$1" wineboot -i >/dev/null 2>&1 || true
fi
status=0
"$@" || status=$?
exit "$status"
