#!/usr/bin/env bash
# Builds everything and runs every test suite (headless).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQN7_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
# As in a 0700 home: the suites that drop to the unprivileged user must not need the build folder.
chmod 0700 build-test
QT_QPA_PLATFORM=offscreen ctest --test-dir build-test --timeout 300 --output-on-failure -j"$(nproc)" "$@"
