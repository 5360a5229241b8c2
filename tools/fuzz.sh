#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, replays each seed corpus, then fuzzes each target for
# QN7_FUZZ_SECONDS (default 60). New inputs go to build-fuzz/found/<target>, not into the repo;
# a crash leaves its input in build-fuzz/artifacts/ and fails the run.
# Usage: tools/fuzz.sh [target ...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
seconds="${QN7_FUZZ_SECONDS:-60}"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQN7_BUILD_FUZZERS=ON -DQN7_BUILD_GUI=OFF -DQN7_BUILD_TESTS=OFF \
    -DQN7_BUILD_BENCHMARKS=OFF -DQN7_WARNINGS_AS_ERRORS=ON >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_at_text fuzz_apply fuzz_query_reply fuzz_compose_args)
# Only the fuzzers and what they link: the programs and their man pages are not run here.
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
rm -rf build-fuzz/artifacts && mkdir -p build-fuzz/artifacts
for target in "${targets[@]}"; do
    fuzzer="build-fuzz/fuzz/$target"
    seeds="fuzz/corpus/$target"
    found="build-fuzz/found/$target"
    mkdir -p "$found"
    echo "== $target: replaying $seeds"
    "$fuzzer" -runs=0 -artifact_prefix=build-fuzz/artifacts/ "$seeds"
    echo "== $target: fuzzing for ${seconds}s"
    log="build-fuzz/$target.log"
    if ! "$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ "$found" "$seeds" \
        >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "$target found a failure; its input is in build-fuzz/artifacts/" >&2
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" || true
done
