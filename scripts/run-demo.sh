#!/usr/bin/env bash
# Builds Tessaprint and runs its main job against the simulated instrument:
# tessaprint-sim prints its stored results on a pseudo-terminal and
# tessaprint-cli captures them through the same receive path the window uses,
# then shows the parsed records. KIND may be quellmax (default), kappa or pactrx.
set -euo pipefail
kind=${1:-quellmax}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target tessaprint-cli tessaprint-sim

link=$(mktemp -u /tmp/tessaprint-sim.XXXXXX)
"$build/src/sim/tessaprint-sim" --kind "$kind" --link "$link" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

echo "Capturing the $kind printout from $link ..." >&2
"$build/src/cli/tessaprint-cli" capture --device "$link"
