#!/usr/bin/env bash
# The Bridge window under a flood of numbered text lines from the module's side, from a
# pseudo-terminal: 1 MB/s for 30 s, then 5 MB/s for 10 s, under Xvfb. Each run prints the
# bytes written and counted, CPU, resident-memory growth, the event loop's round trip (p95,
# max), the view's updates a second, and how soon the view showed the last line.
# Goals: RSS growth <= 2 MiB, loop p95 <= 5 ms and max <= 20 ms, >= 25 updates/s, counters equal,
# last line within 100 ms. Not run by CI.
# Usage: tools/bench_bridge_window.sh [build-folder]     (default: build-app)
set -euo pipefail
build=${1:-build-app}
bench=$build/tests/bench/qn7-bridge-window-bench
[ -x "$bench" ] || { echo "missing $bench: build the target qn7-bridge-window-bench" >&2; exit 1; }

if [ -z "${BENCH_UNDER_XVFB:-}" ]; then
    BENCH_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

status=0
"$bench" 1000000 30 || status=1
"$bench" 5000000 10 || status=1
exit "$status"
