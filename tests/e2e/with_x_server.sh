#!/usr/bin/env bash
# Runs a Wine command with a private Xvfb as its display and a fresh Wine prefix of its own (Wine's
# programs of one prefix share one desktop, which would end with another test's display), Wine's
# own dialogs in German where the locale exists. Ends both with the command.
#   with_x_server.sh COMMAND [ARGUMENT...]
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-x-XXXXXX")
wine=$(command -v /usr/lib/wine/wine64 wine64 | head -n 1)
# shellcheck disable=SC2086  # the id, when set, is a word of its own
trap 'set +e; "$(dirname "$wine")/wineserver" -k; kill $xvfb_pid; wait; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
fail() { echo "FAIL: $*" >&2 && exit 1; }
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
start_x_server
export WINEPREFIX=$work/wine WINEDEBUG=-all VELUNOR_X_SERVER=$DISPLAY
locale -a | grep -ix 'de_DE.utf8' >/dev/null && export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
"$wine" wineboot -i &>/dev/null || true
"$@"
