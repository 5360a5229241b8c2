#!/usr/bin/env bash
# Builds the serial, bridge check, shell, fault and dialog suites with ThreadSanitizer and runs them headless;
# any reported race fails the run. Only the suites' own targets are built, and each test is
# bounded in time (TSan slows the exchanges several times over).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQN7_SANITIZE=thread \
      -DQN7_BUILD_BENCHMARKS=OFF -DQN7_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target qn7serial_tests qn7bridge_check_tests \
      qn7shell_tests qn7fault_tests AppTemplateTest AppFormTest AppExchangeTest AppPortListTest \
      AppBridgeTest AppCommandLineTest qn7-setup-nodemo
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-tsan --output-on-failure -j"$(nproc)" \
    --timeout 300 -L '^(serial|bridge|shell|fault|app)$' "$@"
