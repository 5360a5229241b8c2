#!/usr/bin/env bash
# Start-up cost of qn7-setup against two yardsticks, side by side under one Xvfb: the same
# controls built as a uic-generated Qt Designer form (qn7-uic-dialog), and an empty Qt dialog.
# Measured: the time from launch to the end of the first paint of the window (stamped by the
# program itself, so the process's teardown is left out), and the peak resident memory. The
# programs run in interleaved rounds (each round in turn order), so a machine whose speed drifts
# weighs on all of them alike; the figures are medians over the rounds, and the ratio is the
# median of the rounds' own ratios.
# Usage: tools/bench_startup.sh [build-folder] [rounds]     (default: build-app, 20)
set -euo pipefail
build=${1:-build-app}
rounds=${2:-20}
programs=("$build/app/qn7-setup" "$build/app/qn7-uic-dialog" "$build/app/qn7-empty-dialog")
names=("qn7-setup" "uic-style dialog" "empty Qt dialog")
for binary in "${programs[@]}"; do
    [ -x "$binary" ] || {
        echo "missing $binary: build qn7-setup, qn7-uic-dialog and qn7-empty-dialog" >&2
        exit 1
    }
done

if [ -z "${BENCH_UNDER_XVFB:-}" ]; then
    BENCH_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$rounds"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One launch: appends the launch-to-painted time (µs) and the peak RSS (KiB) to the program's
# files.
run_once() {
    local index=$1 start end
    start=$(date +%s%N)
    end=$(QN7_PROBE_QUIT=1 /usr/bin/time -o "$work/rss" -f %M "${programs[$index]}" 2>/dev/null |
          sed -n 's/^painted //p')
    echo $(( (end - start) / 1000 )) >>"$work/times$index"
    tail -1 "$work/rss" >>"$work/rss$index"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A first launch of each warms the caches (fonts, libraries) and is not counted.
for index in "${!programs[@]}"; do
    QN7_PROBE_QUIT=1 "${programs[$index]}" >/dev/null 2>&1 || true
done
for round in $(seq "$rounds"); do
    for offset in "${!programs[@]}"; do
        run_once $(( (round + offset) % ${#programs[@]} ))
    done
done

printf '%-18s %10s %12s\n' "" "start ms" "peak RSS MiB"
for index in "${!programs[@]}"; do
    ms=$(median <"$work/times$index" | awk '{ printf "%.1f", $1 / 1000 }')
    mib=$(sort -n "$work/rss$index" | tail -1 | awk '{ printf "%.1f", $1 / 1024 }')
    printf '%-18s %10s %12s\n' "${names[$index]}" "$ms" "$mib"
done
for index in 1 2; do
    ratio=$(paste "$work/times0" "$work/times$index" | awk '{ print $1 / $2 }' | median)
    printf 'qn7-setup / %-16s %.2fx\n' "${names[$index]}" "$ratio"
done
echo "(aim: qn7-setup at most 1.0x the uic-style dialog)"
