#!/usr/bin/env bash
# The Bridge window under a flood of numbered text lines from the module's side, from a
# pseudo-terminal: 1 MB/s for 30 s, then 5 MB/s for 10 s, under one Xvfb, side by side with
# GTKTerm and CuteCom fed the same flood.
# - qn7-window-flood-compare measures each program the same way, from outside its process: CPU
#   and resident-memory growth from /proc, the event loop's round trip by _NET_WM_PING every
#   100 ms, the window's updates a second by XDamage, and how long the feeder waited for room in
#   the pseudo-terminal (nonzero: the program let its input queue fill and would slow the module).
#   The Bridge window runs alone, as qn7-bridge-window-bench --window PORT.
# - qn7-bridge-window-bench then runs the Bridge window in its own process for what only the
#   window can tell: whether its counters equal the bytes written, and how soon after the last
#   write the view showed the last line.
# Goals for the Bridge window: CPU no higher than GTKTerm's, RSS growth <= 2 MiB, loop p95 <= 5 ms
# and max <= 20 ms, >= 25 updates/s, counters equal, last line within 100 ms, no wait for room.
# About three and a half minutes. Not run by CI; the programs' own output goes to
# BUILD/bench_bridge_window.log.
# Usage: tools/bench_bridge_window.sh [build-folder]     (default: build-app)
#        (tools/deps.sh bench installs GTKTerm, CuteCom and the X libraries, then build the
#        targets qn7-bridge-window-bench and qn7-window-flood-compare)
set -euo pipefail
build=${1:-build-app}
bench=$build/tests/bench/qn7-bridge-window-bench
compare=$build/tests/bench/qn7-window-flood-compare
for binary in "$bench" "$compare"; do
    [ -x "$binary" ] || {
        echo "missing $binary: run tools/deps.sh bench, then build the targets" \
             "qn7-bridge-window-bench and qn7-window-flood-compare" >&2
        exit 1
    }
done

if [ -z "${BENCH_UNDER_XVFB:-}" ]; then
    BENCH_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$build/bench_bridge_window.log
: >"$log"
# The terminals keep their settings under a home of their own, so a user's stay as they are.
mkdir -p "$work/gtkterm/.config" "$work/cutecom/.config/CuteCom"
# CuteCom takes its port from a session in its settings and opens it on its Open button
# (Alt+O): the session is written with the pseudo-terminal's path just before it starts.
cutecom_on_port='cat >"$HOME/.config/CuteCom/CuteCom5.conf" <<EOF
[CuteCom]
session=bench

[sessions]
1\BaudRate=115200
1\DataBits=8
1\Device=$1
1\FlowControl=0
1\OpenMode=3
1\Parity=0
1\StopBits=1
1\name=bench
size=1
EOF
exec cutecom -s bench'

status=0
# One program under the flood: NAME RATE SECONDS [--keys KEYS] -- PROGRAM [ARG...]
measure() {
    echo "== $1 at $2 B/s for $3 s" >>"$log"
    "$compare" "$@" 2>>"$log" || status=1
}

for run in "1000000 30" "5000000 10"; do
    read -r rate seconds <<<"$run"
    echo "Flood of $((rate / 1000000)) MB/s for $seconds s (load: $(cut -d' ' -f1-3 /proc/loadavg)):"
    measure "Bridge" "$rate" "$seconds" -- "$bench" --window "{port}"
    if command -v gtkterm >/dev/null; then
        # GTKTerm takes its port on the command line; it keeps its settings in ~/.config. Version
        # 1.2.1 lets go at start of a port for which /sys/dev/char lists no device, as for every
        # pseudo-terminal: it is then reported as not measured.
        HOME=$work/gtkterm measure "GTKTerm" "$rate" "$seconds" -- gtkterm -p "{port}" -s 115200
    else
        echo "GTKTerm   not installed (tools/deps.sh bench): skipped"
    fi
    if command -v cutecom >/dev/null; then
        HOME=$work/cutecom XDG_CONFIG_HOME=$work/cutecom/.config \
            measure "CuteCom" "$rate" "$seconds" --keys alt+o -- \
            bash -c "$cutecom_on_port" cutecom "{port}"
    else
        echo "CuteCom   not installed (tools/deps.sh bench): skipped"
    fi
    echo "In-process run of the Bridge window:"
    "$bench" "$rate" "$seconds" 2>>"$log" || status=1
done
exit "$status"
