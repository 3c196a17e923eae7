#!/usr/bin/env bash
# Builds Vornik with its tests and runs all of them; then builds the core with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the core tests again,
# and builds the program itself with them and runs some of the headless process
# tests (signals in a call, a closed output, output into a pipe, the instance lock)
# against it; then runs each fuzz target briefly (scripts/fuzz.sh --brief).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test

cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug -DVORNIK_TESTS=ON -DVORNIK_CORE_ONLY=OFF -DVORNIK_BENCHMARKS=OFF > /dev/null
cmake --build build -j2
(cd build && ctest -j2 --output-on-failure)

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVORNIK_SANITIZE=ON \
      -DVORNIK_CORE_ONLY=ON -DVORNIK_TESTS=ON > /dev/null
cmake --build build-sanitize -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The crash loops kill a forked copy fifty times per operation; the first build has
# run them, and under the sanitizers they only take longer.
(cd build-sanitize && ctest -j2 -L core --output-on-failure -E '^KilledAtRandom\.')

# Only the executable: the process tests of the first build drive it.
cmake -S . -B build-sanitize-app -DCMAKE_BUILD_TYPE=Debug -DVORNIK_SANITIZE=ON \
      -DVORNIK_CORE_ONLY=OFF -DVORNIK_TESTS=OFF -DVORNIK_BENCHMARKS=OFF > /dev/null
cmake --build build-sanitize-app -j2 --target vornik
VORNIK_EXE="$PWD/build-sanitize-app/src/gui/vornik" build/tests/system/system_tests \
    --gtest_filter='Signals/*InACall:LeavingOnSignal.*:HeadlessOutput.*:InstanceLock.LeftOver*:InstanceLock.Second*'

scripts/fuzz.sh --brief
