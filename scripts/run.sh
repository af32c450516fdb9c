#!/usr/bin/env bash
# Installs what is missing, builds the game optimised into build/game/ and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORSAIRE_TESTS=OFF -DCORSAIRE_BENCH=OFF >/dev/null
cmake --build "$root/build"
exec "$root/build/game/corsaire" "$@"
