#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz in build-fuzz, with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs each in turn.
#
#   scripts/fuzz.sh --brief          each target for 12 seconds (scripts/test.sh runs this)
#   scripts/fuzz.sh --long [SECONDS] each target for SECONDS, by default an hour
#   scripts/fuzz.sh --long 600 fuzz_moment   only the targets named
#
# A target starts from its committed seeds (tests/fuzz/corpus/TARGET) and from what
# earlier runs found (build-fuzz/corpus/TARGET, where new inputs go). A broken
# property or a sanitizer report ends the run with a non-zero status and keeps the
# input as build-fuzz/artifacts/TARGET-crash-*: once fixed, commit it to the seeds
# so the brief run repeats it every time.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
    --brief) seconds=12; shift ;;
    --long) shift; seconds=3600
            if [[ "${1:-}" =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi ;;
    *) echo "usage: $0 --brief | --long [SECONDS] [TARGET...]" >&2; exit 2 ;;
esac
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_phone_book fuzz_moment fuzz_ping_output fuzz_number)

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVORNIK_FUZZ=ON -DVORNIK_CORE_ONLY=ON -DVORNIK_TESTS=OFF > /dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

mkdir -p build-fuzz/artifacts build-fuzz/logs
status=0
for target in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/logs/$target.log"
    if build-fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 \
           -artifact_prefix="build-fuzz/artifacts/$target-" \
           "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" > "$log" 2>&1; then
        echo "$target: $(grep -E '^Done [0-9]+ runs' "$log" || echo done) ($(ls "build-fuzz/corpus/$target" | wc -l) inputs kept)"
    else
        echo "$target FAILED; its output ends:" >&2
        tail -n 40 "$log" >&2
        status=1
    fi
done
exit $status
