#!/usr/bin/env bash
# "More Help" and the contest screen's "View Scores" in the real game under a window manager (openbox): with a
# browser launcher that starts and then fails, the game stays on screen, its help says where the page is and the
# contest screen says no browser could be started; with one that opens the page, the leaderboard's address reaches
# it and the message goes, and More Help minimises the game. Every launcher is reaped: the game keeps no defunct
# child. Usage: game_more_help.sh <path to corsaire>
set -uo pipefail

game=${1:?usage: game_more_help.sh <path to corsaire>}
source_folder=$(cd "$(dirname "$game")" && pwd)
work=$(mktemp -d)
folder="$work/game"
pid=""
wm=""
window=""
step="start"
script=game_more_help
# shellcheck source=game_play.sh
source "$(dirname "$0")/game_play.sh"

cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  if [ -n "$wm" ] && kill -0 "$wm" 2>/dev/null; then kill "$wm" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

for tool in xdotool xwininfo import compare identify convert openbox ps; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
[ -x "$game" ] || fail "$game is not an executable"

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
make_game_folder "$folder" "$source_folder" || fail "cannot make the game folder"

# The desktop's opener: while $work/fail exists it runs a moment and fails (as xdg-open does with no browser), else
# notes the address.
mkdir "$work/bin"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
[ -e "$work/fail" ] && { sleep 0.3; exit 3; }
echo "\$1" >>"$work/opened"
exit 0
EOF
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!

width=640
height=480
point() {
  xdo mousemove --window "$window" $(($1 * width / 800)) $(($2 * height / 600))
  xdo mousemove_relative 1 0
  xdo mousemove_relative -- -1 0
}
crop() {
  grab -window "$window" -crop "$(($4 * width / 800))x$(($5 * height / 600))+$(($2 * width / 800))+$(($3 * height / 600))" \
    +repage "$1"
}
game_alive() { kill -0 "$pid" 2>/dev/null; }
map_state() { xwininfo -id "$window" 2>/dev/null | awk '/Map State:/ { print $3 }'; }
defunct_children() { ps -o stat= --ppid "$pid" 2>/dev/null | grep -c '^Z'; }
# bright X Y W H: how many pixels of that virtual region are near white, as the message's glyphs are. The scene
# behind the contest screen's message moves: a few bright pixels (a car's lights) come and go.
bright() {
  crop "$work/bright.png" "$@" || return 1
  convert "$work/bright.png" -colorspace gray -threshold 94% -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
# scores_message: the fewest bright pixels under the contest screen's panel over three looks a second apart.
scores_message() {
  local fewest=1000000 look count
  for look in 1 2 3; do
    count=$(bright 150 495 500 25)
    [ -n "$count" ] && [ "$count" -lt "$fewest" ] && fewest=$count
    sleep 1
  done
  echo "$fewest"
}

start_to_main_menu

progress "help"
click 690 428  # Help
sleep 1.5

progress "More Help with a launcher that fails"
touch "$work/fail"
crop "$work/before.png" 410 195 220 90
click 555 447  # More Help
sleep 2
point 790 590
sleep 1
[ "$(map_state)" = "IsViewable" ] || fail "the game left the screen though no browser opened ($(map_state))"
crop "$work/after.png" 410 195 220 90
differs "$work/before.png" "$work/after.png" || fail "the help shows no message where the page is"
[ "$(defunct_children)" -eq 0 ] || fail "the failed launcher is left defunct"

progress "View Scores with a launcher that fails"
click 205 447  # Close
sleep 1.5
hovers 563 296 200 36 || fail "Close did not come back to the main menu"
crop "$work/menu.png" 30 8 300 30
click 650 352  # Contest Race
for _ in $(seq 1 30); do
  crop "$work/title.png" 30 8 300 30 && differs "$work/menu.png" "$work/title.png" && break
  sleep 1
done
differs "$work/menu.png" "$work/title.png" || fail "Contest Race did not open the contest screen"
sleep 1
point 790 590
sleep 1
quiet=$(scores_message)
[ "$quiet" -lt 100 ] || fail "the contest screen shows a message before View Scores ($quiet bright pixels)"
click 600 445  # View Scores
sleep 2
point 790 590
shown=$(scores_message)
echo "game_more_help: bright pixels under the panel: $quiet before View Scores, $shown after"
[ "$shown" -ge 150 ] || fail "View Scores shows no message though no browser opened ($shown bright pixels)"
[ "$(defunct_children)" -eq 0 ] || fail "the failed leaderboard launcher is left defunct"
game_alive || fail "the game ended"

progress "View Scores with a launcher that opens the page"
rm -f "$work/fail"
click 600 445
sleep 2
point 790 590
gone=$(scores_message)
echo "game_more_help: bright pixels under the panel once the browser opened: $gone"
[ "$gone" -lt 100 ] || fail "the message stays though the browser opened ($gone bright pixels)"
grep -q '^http://.*?dp=corsaire&g=corsaire$' "$work/opened" || fail "the opener got '$(cat "$work/opened")'"
[ "$(map_state)" = "IsViewable" ] || fail "View Scores took the game off the screen ($(map_state))"
[ "$(defunct_children)" -eq 0 ] || fail "the leaderboard launcher is left defunct"
press_escape() {
  xdo keydown Escape
  sleep 0.15
  xdo keyup Escape
}
press_escape
sleep 2
hovers 563 296 200 36 || fail "Escape on the contest screen did not come back to the main menu"
click 690 428  # Help
sleep 1.5

progress "More Help with a launcher that opens the page"
rm -f "$work/opened"
click 555 447
for _ in $(seq 1 50); do
  [ "$(map_state)" = "IsUnMapped" ] && break
  sleep 0.2
done
[ "$(map_state)" = "IsUnMapped" ] || fail "the game was not minimised once the browser opened ($(map_state))"
grep -q '^file:///.*/HELP/introduction.htm$' "$work/opened" || fail "the opener got '$(cat "$work/opened")'"
sleep 1
game_alive || fail "the game ended while minimised"
[ "$(defunct_children)" -eq 0 ] || fail "the launcher is left defunct while the game is minimised"

progress "back and quit"
xdo windowmap "$window"
xdo windowactivate "$window" 2>/dev/null
sleep 1.5
[ "$(map_state)" = "IsViewable" ] || fail "the game did not come back"
kill -TERM "$pid"
for _ in $(seq 1 100); do
  game_alive || break
  sleep 0.1
done
game_alive && fail "the game did not end on SIGTERM"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the game exited with status $status"
echo "game_more_help: the game stayed and said where the help page is and that no browser could be started for the" \
  "leaderboard, stepped aside for the help's browser, reaped every launch"
exit 0
