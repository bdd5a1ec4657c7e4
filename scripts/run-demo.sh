#!/usr/bin/env bash
# Builds Tessaprint and opens its window in demo mode: the instrument is the
# simulated one built into the program (press RESULT to capture its printout;
# the kind radio buttons choose which instrument it is; COM2 plays a busy
# port). Demo settings are kept apart from the real ones.
#
# Without a display it captures the simulated printout on the command line
# instead and shows the parsed records. KIND (quellmax, kappa, pactrx) picks
# the instrument there.
set -euo pipefail
kind=${1:-quellmax}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target tessaprint tessaprint-cli tessaprint-sim

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ "${QT_QPA_PLATFORM:-}" = "offscreen" ]; then
    exec "$build/src/app/tessaprint" --demo
fi

echo "No display: capturing the simulated $kind instrument's printout on the command line." >&2
link=$(mktemp -u /tmp/tessaprint-sim.XXXXXX)
"$build/src/sim/tessaprint-sim" --kind "$kind" --link "$link" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
"$build/src/cli/tessaprint-cli" capture --device "$link"
