#!/usr/bin/env bash
# Builds Vornik and starts it; arguments go to the program (--root DIR, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNIK_TESTS=OFF > /dev/null
cmake --build build-run -j2 --target vornik
exec build-run/src/gui/vornik "$@"
