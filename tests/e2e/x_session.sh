# shellcheck shell=bash disable=SC2154  # work, velunor, close_window and fail come from the caller
# Drives the window program in a private X server by the keyboard, for the end-to-end tests, the
# window benchmarks and the README's pictures. The caller sets work (a private folder), velunor and
# close_app's close_window (absolute paths), defines fail, and kills $app_pid and $xvfb_pid at its end.
[ "$(command -v Xvfb xdotool timeout | wc -l)" = 3 ] ||
  { echo "missing: Xvfb, xdotool or timeout (scripts/setup installs them)" >&2 && exit 1; }
xvfb_pid="" app_pid="" main=""

# Starts Xvfb on a free display, which it names on the descriptor given, for the programs to come.
start_x_server() {
  local display_fd
  exec {display_fd}>"$work/display"
  Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -wr -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec {display_fd}>&-
  until grep -q . "$work/display"; do
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Waits for a visible window whose title matches the pattern and gives it the keyboard, which no
# window manager does here; prints the window's id.
window() {
  local id="" try
  # xdotool gives up with an X error when a window it looks at closes meanwhile: look again.
  for try in 1 2 3; do
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && break
  done
  [ -n "$id" ] || fail "no window \"$1\" (after $try tries)"
  xdotool windowfocus --sync "$id"
  echo "$id"
}

# Waits while the command succeeds, at most ten seconds.
while_true() {
  for _ in $(seq 100); do "$@" || return 0 && sleep 0.1; done
  return 1
}
gone() { while_true xdotool search --onlyvisible --name "$1" &>/dev/null || fail "\"$1\" still open"; }

# Starts the program in the work folder, with the arguments given and with the file-size signal
# at its default as in a user's shell, and waits for its window.
start_app() {
  (cd "$work" && exec env --default-signal=SIGXFSZ "$velunor" "$@") >"$work/app.log" 2>&1 &
  app_pid=$!
  main=$(window '^Velunor V2\.0\.2$')
}

# Closes the window by its close box, as a user does, and expects the program to end well.
close_app() {
  kill -0 "$app_pid" 2>/dev/null || fail "the program has ended by itself"
  "$close_window" "$main"
  expect_end 0
}

# Waits for the program to end and expects the exit status given.
expect_end() {
  while_true kill -0 "$app_pid" 2>/dev/null || fail "the program did not end"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq "$1" ] || fail "the program ended with status $status"
}

# Chooses the log in the open dialog by typing its full path.
open_log() {
  xdotool windowfocus --sync "$main" key alt+d
  window '^Log-Datei zum Einlesen' >/dev/null
  xdotool type --delay 2 "$1"
  xdotool key Return
}

# Closes the summary message; the program goes on running.
confirm_summary() {
  window '^Velunor$' >/dev/null
  xdotool key Return
  gone '^Velunor$'
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended after the run"
}
