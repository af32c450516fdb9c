#!/usr/bin/env bash
# Plays the real game on the current X display as a new player would, from an empty game folder's first run:
# accepts the start-up notice, opens Career Mode, types a new profile name, buys the first car in the garage, buys
# and fits an upgrade it can afford, enters a knock-out career race and drives until the results screen, then
# checks the money and the upgrade in the saved profile. A second start reaches the practice and contest screens
# from the main menu and quits with Escape. Screens are told apart by how regions of the window change after a
# click; the state is read from the files the game writes. Usage: game_career.sh <path to corsaire>
set -uo pipefail

game=${1:?usage: game_career.sh <path to corsaire>}
source_folder=$(cd "$(dirname "$game")" && pwd)
work=$(mktemp -d)
folder="$work/game"
shots="$work/shots"
pid=""
window=""
profile_name="RACER"
profile="$folder/PROFILES/$profile_name.dat"
step="start"
script=game_career
# shellcheck source=game_play.sh
source "$(dirname "$0")/game_play.sh"

on_fail() {
  [ -n "$window" ] && grab -window "$window" "$shots/failure.png"
}

cleanup() {
  # The screenshots stay for a look when the run names a folder for them.
  if [ -n "${CORSAIRE_KEEP_SHOTS:-}" ]; then
    mkdir -p "$CORSAIRE_KEEP_SHOTS" && cp "$shots"/*.png "$CORSAIRE_KEEP_SHOTS"/ 2>/dev/null
  fi
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

for tool in xdotool import convert compare od awk; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
[ -x "$game" ] || fail "$game is not an executable"

# The instance lock lives in the runtime folder: a folder of this run's own keeps other games out of the way.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$shots"

make_game_folder "$folder" "$source_folder" || fail "cannot make the game folder"

# ---------------------------------------------------------------------------------------------------------------
# The window and the pointer. Positions are given in the menus' 800 x 600 virtual screen.

width=640
height=480
start_game() {
  local log=$1
  (cd "$folder" && exec ./corsaire) >"$work/$log.log" 2>&1 &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Corsaire$' 2>/dev/null | head -n 1)
  [ -n "$window" ] || fail "no window titled Corsaire within 60 s"
  eval "$(xdo getwindowgeometry --shell "$window")"
  width=$WIDTH
  height=$HEIGHT
}

# An absolute move is only seen by the game with the next pointer event: a one-pixel nudge gives it one.
point() {
  xdo mousemove --window "$window" $(($1 * width / 800)) $(($2 * height / 600))
  xdo mousemove_relative 1 0
  xdo mousemove_relative -- -1 0
}

press() {
  xdo keydown "$1"
  sleep "${2:-0.15}"
  xdo keyup "$1"
}

# crop FILE X Y W H: that part of the window, in virtual pixels.
crop() {
  grab -window "$window" -crop "$(($4 * width / 800))x$(($5 * height / 600))+$(($2 * width / 800))+$(($3 * height / 600))" \
    +repage "$1"
}

# wait_change SECONDS X Y W H: polls the region until it differs from what it showed when called.
before_region=""
remember() {
  before_region="$*"
  crop "$work/before.png" "$@" || fail "no screenshot"
}
wait_change() {
  local seconds=$1
  local end=$((SECONDS + seconds))
  # A few frames first, so the next click never arrives in the same frame as this one.
  sleep 0.6
  while [ $SECONDS -lt $end ]; do
    crop "$work/after.png" $before_region && differs "$work/before.png" "$work/after.png" "${2:-25}" && return 0
    sleep 0.5
  done
  return 1
}

# game_alive: the game still runs; otherwise its exit status is in status.
status=""
game_alive() {
  kill -0 "$pid" 2>/dev/null && return 0
  wait "$pid"
  status=$?
  pid=""
  return 1
}

# Escape on the main menu ends the game at once, with status 0.
quit_with_escape() {
  press Escape
  for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$pid" 2>/dev/null && fail "Escape on the main menu did not end the game"
  wait "$pid"
  local status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "the game exited with status $status"
}

shot() { grab -window "$window" "$shots/$1.png"; }

# Accepts the notice once it shows and waits for the main menu, whose "Career Mode" entry lights up under the
# pointer. The intro before the notice runs at the game's own pace.
reach_main_menu() {
  local end=$((SECONDS + 240))
  while [ $SECONDS -lt $end ]; do
    game_alive || fail "the game ended (status $status)"
    click 400 540
    sleep 1
    if lights 563 296 200 36; then
      shot "$1"
      return 0
    fi
  done
  fail "the main menu did not come after the notice"
}

# ---------------------------------------------------------------------------------------------------------------
# What the game's data files say: the prices and the races the player meets.

# value FILE KEY: the first value of the first record with that key.
value() { awk -F, -v key="<$2>" '$1 == key { print $2; exit }' "$1" | tr -d '\r'; }

# The profile file: money, career progress, then per car its name, owned byte, owned and installed ids.
profile_money() { od -An -t d4 -N 4 "$profile" | tr -d ' '; }
# profile_car NAME: "owned id id ... | id id ..." of that car's record.
profile_car() {
  od -An -v -t u1 "$profile" | tr -s ' \n' '\n' | awk -v want="$1" '
    NF { b[n++] = $1 }
    function u32(i) { return b[i] + 256 * (b[i + 1] + 256 * (b[i + 2] + 256 * b[i + 3])) }
    END {
      count = u32(8); at = 12
      for (c = 0; c < count; ++c) {
        len = u32(at); at += 4; name = ""
        for (i = 0; i < len; ++i) name = name sprintf("%c", b[at + i])
        at += len; owned = b[at]; at += 1
        nOwned = u32(at); nInstalled = u32(at + 4); at += 8
        line = owned " "
        for (i = 0; i < nOwned; ++i) { line = line u32(at) " "; at += 4 }
        line = line "|"
        for (i = 0; i < nInstalled; ++i) { line = line " " u32(at); at += 4 }
        if (name == want) print line
      }
    }'
}

# ===============================================================================================================
progress "first start"
start_game first
reach_main_menu 01_main_menu

progress "career mode"
remember 5 160 790 420
click 650 314
wait_change 20 || fail "Career Mode opened nothing"
hovers 130 432 150 30 || fail "the profile popup has no Create button"
shot 02_profiles

progress "new profile"
# Create opens an empty, lit row under the first profile for the name: type only once it shows, for letters
# typed before it would be lost on a slow machine.
remember 150 245 400 28
click 205 447
# The lit row is a deep blue bar on the dark panel: a finer colour step tells it from the empty place.
wait_change 30 12 || fail "Create opened no row for the new name"
for letter in $(echo "$profile_name" | grep -o .); do
  press "$(echo "$letter" | tr 'A-Z' 'a-z')" 0.1
  sleep 0.1
done
press Return
for _ in $(seq 1 40); do
  [ -s "$profile" ] && break
  sleep 0.5
done
[ -s "$profile" ] || fail "typing a name and Return saved no $profile"
money=$(profile_money)
[ "$money" -gt 0 ] || fail "a new profile holds no money ($money)"
shot 03_profile_created

progress "garage"
remember 30 8 300 30
click 555 447
wait_change 30 || fail "Accept did not open the garage"
car=$(awk -F, '$1 == "<VEHICLE>" { print $3; exit }' "$folder/manifest.dat")
car_file=$(awk -F, '$1 == "<VEHICLE>" { print $2; exit }' "$folder/manifest.dat" | tr '\\' '/' | tr -d '\r')
car_folder=$(dirname "$folder/$car_file")
car_price=$(value "$folder/$car_file" COST)
[ -n "$car_price" ] || fail "no price for $car in $car_file"
[ "$car_price" -le "$money" ] || fail "a new profile (\$$money) cannot buy the first car, $car (\$$car_price)"
sleep 2
shot 04_garage

progress "buy the car"
remember 593 39 126 35
click 656 56
wait_change 20 || fail "Buy changed nothing"
money=$((money - car_price))
shot 05_bought

# The first OPEN-class knock-out race of the career list, its row on the career screen and its fee: knocked out
# by the computer drivers, a player who only holds the throttle still reaches the results.
career_list="$folder/$(awk -F, '$1 == "<CAREER>" { print $2; exit }' "$folder/manifest.dat" | tr '\\' '/' | tr -d '\r')"
IFS='|' read -r race_row race_name race_fee < <(awk -F, '
  $1 == "[RACE]" { name = ""; type = "LAP"; class = "MIXED"; fee = 0 }
  $1 == "<NAME>" { name = $2 }
  $1 == "<TYPE>" { type = $2 }
  $1 == "<CLASS_RESTRICTION>" { class = $2 }
  $1 == "<ENTRY_FEE>" { fee = $2 }
  $1 == "[/RACE]" && class == "OPEN" { if (type == "KNOCKOUT" && !found) { found = 1; print row "|" name "|" fee }; ++row }
' "$career_list" | tr -d '\r')
[ -n "${race_row:-}" ] || fail "the career list has no OPEN knock-out race"
race_fee=${race_fee:-0}

# The upgrade: the first upgrade of a category that the player can pay beside the entry fee, reached with the
# upgrade page's next-category arrow (colours are chosen elsewhere; empty categories are passed over).
categories=("Model" "Color" "Vinyl Graphics" "Neon" "Spoiler" "Scoop" "Air Intakes" "Rims" "Exhaust Tip" "Engine"
  "Fast Turbo" "Transmission" "Tires and Suspension" "Braking" "Long Burn Turbo")
upgrades=$(awk -F, '
  $1 == "[UPGRADE]" { name = ""; cat = ""; id = ""; cost = 0; buy = 1; needs = 0 }
  $1 == "<NAME>" { name = $2 }
  $1 == "<CATEGORY>" { cat = $2 }
  $1 == "<ID>" { id = $2 }
  $1 == "<COST>" { cost = $2 }
  $1 == "<PURCHASEABLE>" { buy = $2 }
  $1 == "<REQUIRES>" { needs = 1 }
  $1 == "[/UPGRADE]" && buy != 0 { print cat "|" id "|" cost "|" needs "|" name }
' "$car_folder/upgrades.dat" | tr -d '\r')
# The page opens on the first category (Model); every click of the arrow moves to the next filled one.
clicks=-1
upgrade_id=""
for index in 0 $(seq 2 14); do
  first=$(echo "$upgrades" | awk -F'|' -v cat="${categories[$index]}" '$1 == cat { print; exit }')
  [ -n "$first" ] || continue
  clicks=$((clicks + 1))
  IFS='|' read -r _ id cost needs name <<<"$first"
  if [ "$needs" -eq 0 ] && [ $((cost + race_fee)) -le "$money" ]; then
    upgrade_id=$id upgrade_price=$cost upgrade_name=$name
    break
  fi
done
[ -n "$upgrade_id" ] || fail "no upgrade of $car is affordable with \$$money beside the \$$race_fee entry fee"
[ "${#upgrade_name}" -le 22 ] || fail "the test reads one-line upgrade names only ($upgrade_name)"

progress "upgrade page"
remember 322 39 397 35
click 656 56
wait_change 20 || fail "Upgrade did not open the upgrade page"
for _ in $(seq 1 "$clicks"); do
  remember 56 112 250 32
  click 323 128
  wait_change 20 || fail "the next-category arrow changed nothing"
done
shot 06_upgrade_page

progress "buy the upgrade"
remember 454 77 151 32
click 656 91
wait_change 20 || fail "Purchase changed nothing"
money=$((money - upgrade_price))
shot 07_upgrade_bought

progress "career races"
remember 30 8 300 30
click 716 581
wait_change 30 || fail "Next did not open the career races"
remember 57 $((210 + 40 * race_row)) 230 38
click 170 $((229 + 40 * race_row))
sleep 1
shot 08_career_races

progress "race"
saved=$(od -An -v -t x1 "$profile" | tr -d ' \n')
remember 0 0 800 600
click 716 581
wait_change 60 || fail "Race did not start the race"
money=$((money - race_fee))
end=$((SECONDS + 300))
while [ $SECONDS -lt $end ]; do
  game_alive || fail "the game ended during the race (status $status)"
  [ "$(od -An -v -t x1 "$profile" | tr -d ' \n')" != "$saved" ] && break
  xdo keydown Up
  sleep 3
  xdo keyup Up
  [ $((SECONDS % 20)) -lt 4 ] && shot "09_race_$SECONDS"
done
[ "$(od -An -v -t x1 "$profile" | tr -d ' \n')" != "$saved" ] || fail "no results within 300 s of the start"
sleep 2
shot 10_results

progress "saved profile"
record=$(profile_car "$car")
[ -n "$record" ] || fail "the profile has no record of $car"
[ "${record%% *}" = "1" ] || fail "$car is not owned in the profile ($record)"
owned=${record%%|*}
installed=${record#*|}
echo " $owned " | grep -q " $upgrade_id " || fail "$upgrade_name ($upgrade_id) is not owned: $record"
echo " $installed " | grep -q " $upgrade_id " || fail "$upgrade_name ($upgrade_id) is not fitted: $record"
# Knocked out before the end, the player takes no cash award; a place reward of the race may be paid.
paid=$(($(profile_money) - money))
rewards=$(awk -F, -v name="$race_name" '
  $1 == "[RACE]" { this = "" } $1 == "<NAME>" { this = $2 } $1 == "<REWARD>" && this == name { print $3 }
' "$career_list" | tr -d '\r')
[ "$paid" -eq 0 ] || echo "$rewards" | grep -qx "$paid" ||
  fail "money is \$$(profile_money): \$$paid more than the \$$money left after the car, upgrade and fee"

progress "back to the main menu"
remember 30 8 300 30
click 620 485
wait_change 30 || fail "Continue did not leave the results"
press Escape
sleep 2
hovers 563 296 200 36 || fail "Escape in the garage did not reach the main menu"

progress "quit"
quit_with_escape
[ -s "$folder/config.dat" ] || fail "no config.dat was written"

# ===============================================================================================================
progress "second start"
start_game second
reach_main_menu 11_second_menu

progress "practice"
remember 30 8 300 30
click 650 276
wait_change 30 || fail "Practice Race did not open the car choice"
shot 12_car_choice
remember 30 8 300 30
click 716 581
wait_change 30 || fail "Next on the car choice did not open the practice race"
shot 13_practice
hovers 57 250 230 38 || fail "the practice screen lists no venue"
press Escape
sleep 1
press Escape
sleep 2
hovers 563 296 200 36 || fail "Escape twice did not come back to the main menu"

progress "contest"
remember 30 8 300 30
click 650 352
wait_change 30 || fail "Contest Race opened nothing"
shot 14_contest
press Escape
sleep 2
hovers 563 296 200 36 || fail "Escape on the contest screen did not come back to the main menu"
quit_with_escape

echo "game_career: car $car bought, $upgrade_name fitted, $race_name raced to the results, \$$(od -An -t d4 -N 4 "$profile" | tr -d ' ') saved; practice and contest screens reached"
exit 0
