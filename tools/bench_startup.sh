#!/usr/bin/env bash
# Start-up cost of qn7-setup against an empty Qt dialog, side by side under one Xvfb:
# the time from launch to the end of the first paint of the window (stamped by the program
# itself, so the process's teardown is left out), and the peak resident memory.
# Usage: tools/bench_startup.sh [build-folder] [runs]     (default: build-app, 10)
set -euo pipefail
build=${1:-build-app}
runs=${2:-10}
app=$build/app/qn7-setup
empty=$build/app/qn7-empty-dialog
for binary in "$app" "$empty"; do
    [ -x "$binary" ] || { echo "missing $binary: build the targets qn7-setup and qn7-empty-dialog" >&2; exit 1; }
done

if [ -z "${BENCH_UNDER_XVFB:-}" ]; then
    BENCH_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$runs"
fi

rss_file=$(mktemp)
trap 'rm -f "$rss_file"' EXIT

# Median launch-to-painted time (ms) and the largest peak RSS (KiB) over the runs.
measure() {
    local times=() peak=0 start end rss
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        end=$(QN7_PROBE_QUIT=1 /usr/bin/time -o "$rss_file" -f %M "$@" 2>/dev/null |
              sed -n 's/^painted //p')
        rss=$(tail -1 "$rss_file")
        times+=($(( (end - start) / 1000000 )))
        [ "$rss" -gt "$peak" ] && peak=$rss
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
    echo "$median $peak"
}

read -r app_ms app_kib < <(measure "$app")
read -r empty_ms empty_kib < <(measure "$empty")
printf '%-18s %10s %12s\n' "" "start ms" "peak RSS MiB"
printf '%-18s %10d %12.1f\n' "qn7-setup" "$app_ms" "$(echo "$app_kib / 1024" | bc -l)"
printf '%-18s %10d %12.1f\n' "empty Qt dialog" "$empty_ms" "$(echo "$empty_kib / 1024" | bc -l)"
printf '%-18s %10.2fx %11.2fx   (aim: at most 1.3x the time, 40 MiB)\n' "ratio" \
    "$(echo "$app_ms / $empty_ms" | bc -l)" "$(echo "$app_kib / $empty_kib" | bc -l)"
