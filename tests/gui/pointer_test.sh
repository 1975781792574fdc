#!/usr/bin/env bash
# Real pointer and key input for the editor: starts the probe program under
# wine, drives the pointer of the same X display with xdotool, and lets the
# program check each step (see editor_pointer_probe.cpp for the handshake).
# Usage: pointer_test.sh PROBE_EXE BIN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
probe=$(realpath "$1")
bin=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/editor-pointer.XXXXXX")
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
ln -s "$bin/Artwork" "$work/Artwork"  # the panel's font, as beside the DLL
cd "$work"

# Start clear of the panel.
xdotool mousemove 700 700
"$here/scripts/wine-run" "$probe" >probe.log 2>&1 &
pid=$!

wait_for() {
  for _ in $(seq 900); do
    [ -e "$1" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
fail() {
  echo "pointer_test: $*"
  cat probe.log
  exit 1
}

wait_for ready || fail "the probe did not show the panel"
read -r X Y < <(tr -d "\r" <ready)

# One action, a moment for the window system, then the program checks.
step() {
  local n=$1
  shift
  xdotool "$@"
  sleep 0.5
  touch "step-$n"
  wait_for "ack-$n" || fail "no answer to step $n"
}

step 1 mousemove $((X + 28 * 3 + 21)) $((Y + 30)) click 1          # slot 3
step 2 mousemove $((X + 74)) $((Y + 144)) mousedown 1              # Expression knob
step 3 mousemove_relative -- 0 -8                                  # 8 pixels up
step 4 mousemove_relative -- 0 -50                                 # held by the box
step 5 keydown shift sleep 0.3 mousemove_relative -- 0 -9 sleep 0.5 \
  mousemove_relative -- 0 -9 sleep 0.3 keyup shift                 # Shift: 18 up
step 6 mouseup 1
xdotool mousemove $((X + 209)) $((Y + 144)) click 3                # Hold: menu
wait_for menu || fail "no popup menu"
read -r MX MY < <(tr -d "\r" <menu)
step 7 mousemove "$MX" "$MY" click 1                               # first entry
step 8 mousemove $((X + 28)) $((Y + 200)) click 1                  # first tab

status=0
wait "$pid" || status=$?
pid=
cat probe.log
exit $status
