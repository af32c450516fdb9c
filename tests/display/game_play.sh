# Helpers sourced by the scripts that play the real game on the current X display. Each script sets script (its
# name for messages), work (its scratch folder) and step before sourcing this, and defines point X Y (moves the
# pointer to a virtual 800 x 600 position) and crop FILE X Y W H (grabs that virtual region) for the way its
# picture lies on the screen. A script may define on_fail to keep a picture of the failure.

# Each step is announced, so a run that hangs shows where it stopped.
progress() {
  step=$1
  echo "$script: $SECONDS s: $step"
}

# fail MESSAGE: names the step, keeps the script's picture of the failure and the end of every log, exits 1.
fail() {
  echo "$script: FAIL at '$step': $*" >&2
  if declare -F on_fail >/dev/null; then on_fail; fi
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

# The X tools wait on the server; none may hold the run for ever.
xdo() { timeout 20 xdotool "$@"; }
grab() { timeout 30 import "$@" 2>/dev/null; }

# make_game_folder FOLDER SOURCE: a new player's game folder, the program and its data as built without settings
# or profiles. The program is copied (it finds its data beside itself), the data folders are linked.
make_game_folder() {
  local folder=$1 source=$2 entry name
  mkdir "$folder" || return 1
  for entry in "$source"/*; do
    name=$(basename "$entry")
    case "$name" in config.dat | PROFILES) continue ;; esac
    if [ -d "$entry" ]; then ln -s "$entry" "$folder/$name"; else cp "$entry" "$folder/$name"; fi
  done
}

click() {
  point "$1" "$2"
  sleep 0.3
  xdo mousedown 1
  sleep 0.1
  xdo mouseup 1
}

# differs A B: true when more than a twentieth of the pixels differ by more than a quarter of full scale. Text,
# highlight bars and panels appearing or changing pass; the showroom's light seen through a panel does not.
# The size is read as width and height: an fx product past six digits comes back in exponent form.
differs() {
  local count size
  count=$(compare -metric AE -fuzz "${3:-25}%" "$1" "$2" null: 2>&1 | awk '{ printf "%d", $1 }')
  size=$(identify -format '%w %h' "$1" 2>/dev/null)
  [ -n "$count" ] && [ -n "$size" ] && [ "$count" -gt $((${size% *} * ${size#* } / 20)) ]
}

# lights X Y W H: the button with that rectangle lights up under the pointer and goes back when it leaves, twice
# alike, while the rest of the picture holds still (a moving scene or a fade is no button). The pointer stands at
# the button's right end and is drawn right of and below that point, so the part compared is left of it.
lights() {
  local from_x=$(($1 + 2)) from_y=$(($2 + 2)) wide=$(($3 - 40)) high=$(($4 - 4))
  local pass end
  for pass in 1 2; do
    point 790 590
    sleep 0.5
    crop "$work/away$pass.png" $from_x $from_y $wide $high || return 1
    point $(($1 + $3 - 8)) $(($2 + $4 / 2))
    end=$((SECONDS + 6))
    while :; do
      sleep 0.3
      crop "$work/over$pass.png" $from_x $from_y $wide $high && differs "$work/away$pass.png" "$work/over$pass.png" &&
        break
      [ $SECONDS -lt $end ] || return 1
    done
  done
  ! differs "$work/away1.png" "$work/away2.png" && ! differs "$work/over1.png" "$work/over2.png"
}

# hovers X Y W H: lights, tried again for a while: the showroom behind the menus cuts between its cameras now and
# then, and a cut during a try spoils it.
hovers() {
  local try
  for try in 1 2 3 4; do
    lights "$@" && return 0
  done
  return 1
}

# start_to_main_menu: starts the game in $folder (its output in $work/game.log), sets pid, window, width and
# height, and accepts the notice until the main menu's first button lights under the pointer. The script gives
# progress, fail and game_alive.
start_to_main_menu() {
  progress "start"
  (cd "$folder" && exec ./corsaire) >"$work/game.log" 2>&1 &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Corsaire$' 2>/dev/null | head -n 1)
  [ -n "$window" ] || fail "no window titled Corsaire within 60 s"
  eval "$(xdo getwindowgeometry --shell "$window")"
  width=$WIDTH
  height=$HEIGHT

  progress "main menu"
  end=$((SECONDS + 240))
  until lights 563 296 200 36; do
    game_alive || fail "the game ended"
    [ $SECONDS -lt $end ] || fail "the main menu did not come after the notice"
    click 400 540
    sleep 1
  done
}
