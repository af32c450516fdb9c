#!/usr/bin/env bash
# Smoke test of the real game on the current X display: its window shows rendered pixels, a second start leaves at
# once without a window, and SIGTERM closes the game cleanly with status 0. Usage: game_smoke.sh <path to corsaire>
set -uo pipefail

game=${1:?usage: game_smoke.sh <path to corsaire>}
title='^Corsaire$'
work=$(mktemp -d)
pid=""

fail() {
  echo "game_smoke: FAIL: $*" >&2
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

[ -x "$game" ] || fail "$game is not an executable"

command -v xdotool >/dev/null || fail "xdotool is missing"
command -v import >/dev/null || fail "ImageMagick's import is missing"

# 1. Start the game and wait for its window.
"$game" >"$work/first.log" 2>&1 &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window titled Corsaire within 20 s"
kill -0 "$pid" 2>/dev/null || fail "the game ended right after opening its window"

# 2. The window shows rendered pixels: not a uniform black picture. Frames keep coming, so poll a few captures.
rendered=0
for attempt in $(seq 1 20); do
  if timeout 10 import -window "$window" "$work/shot.png" 2>"$work/import.log"; then
    stats=$(convert "$work/shot.png" -format '%[fx:mean] %[fx:standard_deviation]' info: 2>/dev/null)
    mean=${stats% *}
    deviation=${stats#* }
    if awk -v m="$mean" -v s="$deviation" 'BEGIN { exit !((m > 0.01) || (s > 0.001)) }'; then
      rendered=1
      break
    fi
  fi
  sleep 0.25
done
[ "$rendered" -eq 1 ] || fail "the window shows only black (mean ${mean:-?}, deviation ${deviation:-?})"

# 3. A second start while the first runs leaves at once, without a window and without a message box
#    (a message box would keep it waiting until the timeout).
timeout 10 "$game" >"$work/second.log" 2>&1
second=$?
[ "$second" -ne 124 ] || fail "the second instance did not exit within 10 s"
[ "$second" -ne 0 ] || fail "the second instance exited with status 0"
windows=$(xdotool search --name "$title" 2>/dev/null | wc -l)
[ "$windows" -eq 1 ] || fail "expected one Corsaire window, found $windows"
kill -0 "$pid" 2>/dev/null || fail "the first instance ended when the second started"

# 4. SIGTERM arrives as a window close: the game shuts down and exits with 0.
kill -TERM "$pid"
for attempt in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the game did not end within 10 s of SIGTERM"
fi
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the game exited with status $status after SIGTERM"

echo "game_smoke: window rendered, single instance held, clean exit"
exit 0
