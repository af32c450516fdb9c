#!/usr/bin/env bash
# Pastes from another X program while the real game waits in a dialog: F9 on the car choice puts the installed
# upgrades on the clipboard and shows them in the "UPGRADE INFO" box; while the box is up, and again while the
# audio options' desktop folder dialog is open, a small X client asks for the clipboard and leaves without reading
# the answer, and another reads it as UTF8_STRING and as STRING. The game must answer every paste at once, go on
# after OK and after the dialog, and write config.dat when it quits.
# Usage: game_clipboard.sh <path to corsaire> <path to clipboard_requester>
set -uo pipefail

game=${1:?usage: game_clipboard.sh <path to corsaire> <path to clipboard_requester>}
requester=${2:?usage: game_clipboard.sh <path to corsaire> <path to clipboard_requester>}
source_folder=$(cd "$(dirname "$game")" && pwd)
work=$(mktemp -d)
folder="$work/game"
pid=""
window=""
step="start"
script=game_clipboard
# shellcheck source=game_play.sh
source "$(dirname "$0")/game_play.sh"

cleanup() {
  touch "$work/release"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

for tool in xdotool xwininfo import compare identify; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
[ -x "$game" ] || fail "$game is not an executable"
[ -x "$requester" ] || fail "$requester is not an executable"

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
make_game_folder "$folder" "$source_folder" || fail "cannot make the game folder"

# The desktop's folder dialog: a zenity that says it is open and stays until told, then answers "cancelled".
# No session bus, so the portal is not asked.
mkdir "$work/bin"
cat >"$work/bin/zenity" <<EOF
#!/bin/sh
touch "$work/dialog-open"
for i in \$(seq 1 600); do [ -e "$work/release" ] && exit 1; sleep 0.1; done
exit 1
EOF
chmod +x "$work/bin/zenity"
export PATH="$work/bin:$PATH"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

width=640
height=480
point() {
  xdo mousemove --window "$window" $(($1 * width / 800)) $(($2 * height / 600))
  xdo mousemove_relative 1 0
  xdo mousemove_relative -- -1 0
}
press() {
  xdo keydown "$1"
  sleep 0.15
  xdo keyup "$1"
}
crop() {
  grab -window "$window" -crop "$(($4 * width / 800))x$(($5 * height / 600))+$(($2 * width / 800))+$(($3 * height / 600))" \
    +repage "$1"
}
game_alive() { kill -0 "$pid" 2>/dev/null; }

# paste TARGET: prints what a reading paste gets; fails unless the answer comes within the requester's 5 s.
paste() { timeout 10 "$requester" "$1"; }

# Asks and leaves, then reads in both forms: the text must be the one the box shows.
paste_while_waiting() {
  local target text
  for target in UTF8_STRING STRING; do
    timeout 10 "$requester" --abandon "$target" || fail "the abandoning paste could not ask"
  done
  for target in UTF8_STRING STRING; do
    text=$(paste "$target") || fail "a paste as $target was not answered (status $?)"
    [ "$text" = "$1" ] || fail "a paste as $target read '$text', the box showed '$1'"
  done
  game_alive || fail "the game ended after a paste"
}

start_to_main_menu

progress "F9 on the car choice"
click 650 276  # Practice Race: the car choice
sleep 3
point 790 590
press F9
# The box is a window of its own, named by its title (as the desktop's WM_NAME text, which xdotool misses).
box_window() { xwininfo -root -tree 2>/dev/null | awk '/"UPGRADE INFO"/ { print $1; exit }'; }
box=""
for _ in $(seq 1 100); do
  box=$(box_window)
  [ -n "$box" ] && break
  sleep 0.2
done
[ -n "$box" ] || fail "F9 showed no UPGRADE INFO box"
shown=$(paste UTF8_STRING) || fail "a paste while the box is up was not answered (status $?)"
echo "$shown" | grep -Eq '^(:[0-9]+)*$' || fail "the clipboard holds '$shown', not a list of upgrade ids"

progress "pastes while the box is up"
paste_while_waiting "$shown"

progress "OK"
# Its one button, OK, sits in the middle of its bottom quarter.
box_height=$(xwininfo -id "$box" | awk '/Height:/ { print $2 }')
box_width=$(xwininfo -id "$box" | awk '/Width:/ { print $2 }')
xdo mousemove --window "$box" $((box_width / 2)) $((box_height - box_height / 4))
sleep 0.2
xdo mousedown 1
sleep 0.1
xdo mouseup 1
for _ in $(seq 1 100); do
  [ -z "$(box_window)" ] && break
  sleep 0.1
done
[ -z "$(box_window)" ] || fail "the box did not close on OK"
sleep 2
game_alive || fail "the game ended after OK (status: $(wait "$pid"; echo $?))"
after=$(paste STRING) || fail "a paste after OK was not answered (status $?)"
[ "$after" = "$shown" ] || fail "after OK the clipboard holds '$after', not '$shown'"

progress "pastes while the folder dialog is open"
press Escape  # back to the main menu
sleep 1
click 650 390  # Options
sleep 1.5
click 400 259  # Audio
sleep 1.5
click 140 419  # MP3 Folder : OFF -> ON, which shows the folder row
sleep 1
click 400 420  # Select Folder
for _ in $(seq 1 100); do
  [ -e "$work/dialog-open" ] && break
  sleep 0.1
done
[ -e "$work/dialog-open" ] || fail "Select Folder opened no desktop dialog"
paste_while_waiting "$shown"
touch "$work/release"
sleep 2
game_alive || fail "the game ended after the dialog closed"

progress "quit"
point 790 590
sleep 0.5
click 778 22  # the close icon
for _ in $(seq 1 150); do
  game_alive || break
  sleep 0.2
done
game_alive && fail "the close icon did not end the game"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the game exited with status $status"
[ -s "$folder/config.dat" ] || fail "the game wrote no config.dat"
grep -q "^<MASTERVOLUME>" "$folder/config.dat" 2>/dev/null || grep -q "MASTERVOLUME" "$folder/config.dat" ||
  fail "config.dat holds no settings"

echo "game_clipboard: every paste answered during the box and the dialog, the game went on and saved its settings"
exit 0
