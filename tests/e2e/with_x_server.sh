#!/usr/bin/env bash
# Runs a command with a private Xvfb as its display, and ends the server with it.
#   with_x_server.sh COMMAND [ARGUMENT...]
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/velunor-x-XXXXXX")
xvfb_pid="" app_pid=""
# shellcheck disable=SC2086  # the id, when set, is a word of its own
trap 'kill $xvfb_pid 2>/dev/null; wait; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# shellcheck source=x_session.sh
. "$(dirname "$0")/x_session.sh"
start_x_server
status=0
"$@" || status=$?
exit "$status"
