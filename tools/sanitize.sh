#!/usr/bin/env bash
# Builds the core, the simulator and the command line with AddressSanitizer and
# UndefinedBehaviorSanitizer (no GUI) and runs their suites; any report or leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQN7_SANITIZE=ON -DQN7_BUILD_GUI=OFF \
      -DQN7_BUILD_BENCHMARKS=OFF -DQN7_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --timeout 300 --output-on-failure -j"$(nproc)" "$@"
