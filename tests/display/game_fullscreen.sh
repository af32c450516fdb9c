#!/usr/bin/env bash
# The real game in full screen on the current X display, whatever its size: the 800 x 600 picture fills the
# screen's height or width with its shape kept and black bars on the rest, the game's pointer is drawn where the
# mouse is, and clicks where buttons are drawn work: the start-up notice's Accept, then Career Mode on the main
# menu. Run it without a window manager on screens of other shapes (1280 x 1024, 1920 x 1080).
# Usage: game_fullscreen.sh <path to corsaire>
set -uo pipefail

game=${1:?usage: game_fullscreen.sh <path to corsaire>}
source_folder=$(cd "$(dirname "$game")" && pwd)
work=$(mktemp -d)
folder="$work/game"
pid=""
window=""
step="start"
script=game_fullscreen
# shellcheck source=game_play.sh
source "$(dirname "$0")/game_play.sh"

on_fail() {
  if [ -n "${CORSAIRE_KEEP_SHOTS:-}" ]; then
    mkdir -p "$CORSAIRE_KEEP_SHOTS" && timeout 30 import -window root "$CORSAIRE_KEEP_SHOTS/failure.png" 2>/dev/null
  fi
}

cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

for tool in xdotool import convert compare identify awk; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
[ -x "$game" ] || fail "$game is not an executable"

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A new player's game folder whose settings ask for full screen at 800 x 600.
make_game_folder "$folder" "$source_folder" || fail "cannot make the game folder"
sed -e 's/^FULLSCREEN:.*/FULLSCREEN:1/' -e 's/^RESOLUTION:.*/RESOLUTION:2/' "$source_folder/default_config.dat" \
  >"$folder/config.dat"

# ---------------------------------------------------------------------------------------------------------------
# Where the picture lies on the screen: as large as fits, its shape kept, centred.
read -r screen_width screen_height < <(xdo getdisplaygeometry)
[ -n "$screen_width" ] || fail "no display geometry"
if [ $((screen_width * 600)) -gt $((screen_height * 800)) ]; then
  picture_height=$screen_height
  picture_width=$(((screen_height * 800 + 300) / 600))
else
  picture_width=$screen_width
  picture_height=$(((screen_width * 600 + 400) / 800))
fi
left=$(((screen_width - picture_width) / 2))
top=$(((screen_height - picture_height) / 2))
echo "game_fullscreen: screen ${screen_width}x${screen_height}, picture ${picture_width}x${picture_height} at $left,$top"

# Positions are given in the menus' 800 x 600 virtual screen and taken to where the picture puts them.
sx() { echo $((left + $1 * picture_width / 800)); }
sy() { echo $((top + $1 * picture_height / 600)); }

point() {
  xdo mousemove "$(sx "$1")" "$(sy "$2")"
  xdo mousemove_relative 1 0
  xdo mousemove_relative -- -1 0
}

# crop FILE X Y W H: that part of the picture, in virtual pixels.
crop() {
  grab -window root -crop "$(($4 * picture_width / 800))x$(($5 * picture_height / 600))+$(sx "$2")+$(sy "$3")" +repage "$1"
}

# ===============================================================================================================
progress "start in full screen"
(cd "$folder" && exec ./corsaire) >"$work/game.log" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Corsaire$' 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window titled Corsaire within 60 s"
covered=0
for _ in $(seq 1 100); do
  eval "$(xdo getwindowgeometry --shell "$window")"
  if [ "$X" -eq 0 ] && [ "$Y" -eq 0 ] && [ "$WIDTH" -eq "$screen_width" ] && [ "$HEIGHT" -eq "$screen_height" ]; then
    covered=1
    break
  fi
  sleep 0.2
done
[ "$covered" -eq 1 ] || fail "the window does not cover the screen: ${WIDTH}x${HEIGHT} at $X,$Y"

progress "the notice, its picture whole"
# The notice is drawn inside the picture and the bars beside it are black. A window manager may show a frame or
# two of the switch first, so the screen is looked at until it settles.
bars_of() {
  if [ "$left" -gt 0 ]; then
    convert "$1" \( -clone 0 -crop "${left}x${screen_height}+0+0" \) \
      \( -clone 0 -crop "${left}x${screen_height}+$((left + picture_width))+0" \) -delete 0 -append -format '%[fx:maxima]' info:
  elif [ "$top" -gt 0 ]; then
    convert "$1" \( -clone 0 -crop "${screen_width}x${top}+0+0" \) \
      \( -clone 0 -crop "${screen_width}x${top}+0+$((top + picture_height))" \) -delete 0 -append -format '%[fx:maxima]' info:
  else
    echo 0
  fi
}
shown=0
inside=0
bars=1
for _ in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || fail "the game ended"
  grab -window root "$work/screen.png" || fail "no screenshot"
  inside=$(convert "$work/screen.png" -crop "${picture_width}x${picture_height}+$left+$top" +repage -format '%[fx:maxima]' info:)
  bars=$(bars_of "$work/screen.png")
  if awk -v m="$inside" -v b="$bars" 'BEGIN { exit !(m > 0.5 && b < 0.02) }'; then
    shown=1
    break
  fi
  sleep 0.5
done
[ "$shown" -eq 1 ] || fail "the picture shows nothing (brightest $inside) or the bars are not black (brightest $bars)"

progress "Accept where it is drawn"
reached=0
end=$((SECONDS + 240))
while [ $SECONDS -lt $end ]; do
  kill -0 "$pid" 2>/dev/null || fail "the game ended"
  click 400 540
  sleep 1
  if lights 563 296 200 36; then
    reached=1
    break
  fi
done
[ "$reached" -eq 1 ] || fail "the main menu did not come after clicking the drawn Accept"

progress "Career Mode where it is drawn"
crop "$work/before.png" 5 160 790 420 || fail "no screenshot"
click 650 314
opened=0
end=$((SECONDS + 20))
sleep 0.6
while [ $SECONDS -lt $end ]; do
  crop "$work/after.png" 5 160 790 420 && differs "$work/before.png" "$work/after.png" && { opened=1; break; }
  sleep 0.5
done
[ "$opened" -eq 1 ] || fail "clicking the drawn Career Mode opened nothing"
hovers 130 432 150 30 || fail "the profile popup's Create button does not light under the pointer"

progress "close"
kill -TERM "$pid"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the game did not end within 10 s of SIGTERM"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the game exited with status $status"
echo "game_fullscreen: full screen at ${screen_width}x${screen_height}: picture whole, drawn buttons answer clicks"
exit 0
