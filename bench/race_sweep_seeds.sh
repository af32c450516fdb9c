#!/usr/bin/env bash
# The race sweep over several fields at once: bench_race_sweep for each seed FIRST..LAST in its own process (as
# many at a time as there are cores), then per race list and in all the wall contacts and racing goals missed,
# summed over the seeds. One field is a poor judge of a change to the cars, the circuits or the physics: a car
# pinned on one wall moves a list's wall count by hundreds, so compare sums over eight fields or more.
# Usage: bench/race_sweep_seeds.sh BUILD_DIR FIRST LAST [GAME_FOLDER]
# RACE_SWEEP_KEEP=DIR keeps each field's whole report there (seedN.txt), with every missed goal it printed.
set -euo pipefail
build=${1:?usage: race_sweep_seeds.sh BUILD_DIR FIRST LAST [GAME_FOLDER]}
first=${2:?first seed}
last=${3:?last seed}
game=${4:-}
sweep="$build/bench/bench_race_sweep"
[ -x "$sweep" ] || { echo "race_sweep_seeds: no $sweep (configure with -DCORSAIRE_BENCH=ON)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for seed in $(seq "$first" "$last"); do
  mkdir -p "$work/tmp$seed"
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n; done
  (
    export RACE_SWEEP_SEED="$seed" TMPDIR="$work/tmp$seed"
    [ -n "$game" ] && export RACE_SWEEP_GAME="$game"
    "$sweep" --benchmark_filter=RaceSweep >"$work/seed$seed.txt" 2>&1 || echo "seed $seed: the sweep failed" >&2
  ) &
done
wait
if [ -n "${RACE_SWEEP_KEEP:-}" ]; then mkdir -p "$RACE_SWEEP_KEEP" && cp "$work"/seed*.txt "$RACE_SWEEP_KEEP"/; fi

cat "$work"/seed*.txt | awk -v seeds="$((last - first + 1))" '
  /^[A-Z]+: [0-9]+ races,/ {
    list = substr($1, 1, length($1) - 1)
    match($0, /wall contacts [0-9]+/); walls = substr($0, RSTART + 14, RLENGTH - 14)
    match($0, /goals missed [0-9]+/); missed = substr($0, RSTART + 13, RLENGTH - 13)
    if (!(list in seen)) { seen[list] = 1; order[++n] = list }
    w[list] += walls; m[list] += missed; totalW += walls; totalM += missed
  }
  END {
    printf "%d seeds\n", seeds
    for (i = 1; i <= n; ++i) printf "%-12s wall contacts %6d  goals missed %4d\n", order[i], w[order[i]], m[order[i]]
    printf "%-12s wall contacts %6d  goals missed %4d\n", "all", totalW, totalM
  }'
