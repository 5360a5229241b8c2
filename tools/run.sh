#!/usr/bin/env bash
# Builds QN7 Setup and starts the dialog in demo mode against the built-in simulated module.
# Extra arguments go to qn7-setup (default: --demo).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQN7_BUILD_TESTS=OFF -DQN7_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target qn7-setup
[ $# -gt 0 ] || set -- --demo
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: starting under a virtual X server (xvfb-run)." >&2
    exec xvfb-run -a build/app/qn7-setup "$@"
fi
exec build/app/qn7-setup "$@"
