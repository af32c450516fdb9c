#!/usr/bin/env bash
# Runs a command under a private Xvfb with Mesa's software OpenGL, on the first free display number.
# XVFB_SCREEN sets the screen (1024x768x24 unless given). A sanitizer build's leak check skips what the system's
# display libraries keep until exit (lsan.supp beside this script).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/lsan.supp"
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null || true' EXIT
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 $xvfb_pid 2>/dev/null || break
      sleep 0.05
    done
    if kill -0 $xvfb_pid 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n" LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
      unset SDL_VIDEODRIVER
      "$@"
      exit $?
    fi
    wait $xvfb_pid 2>/dev/null || true
    trap - EXIT
  fi
done
echo "with_xvfb: no free display" >&2
exit 1
