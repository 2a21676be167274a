#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time
# (FUZZ_SECONDS, default 30) on a scratch copy of its seed corpus, after replaying the inputs
# saved under fuzz/regressions/. Exits non-zero when a target crashes or breaks an invariant.
set -eu
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build="build-fuzz"
# The libraries are instrumented too, so that coverage and the sanitizers reach into them.
flags="-O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
flags="$flags -fno-omit-frame-pointer"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" -DDIGITRACE_FUZZ=ON -DDIGITRACE_TESTS=OFF \
    -DDIGITRACE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_receiver fuzz_dxf

export UBSAN_OPTIONS=print_stacktrace=1
status=0

# Prints what a failed run found.
report_finding() {
    {
        grep -A1 '^Invariant broken' "$1" || true
        grep -E 'runtime error|^SUMMARY' "$1" || true
    } | head -n 12 | sed 's/^/    /'
}

for name in receiver dxf; do
    fuzzer="$build/fuzz/fuzz_$name"
    work="$build/run/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp fuzz/corpus/"$name"/* "$work/corpus/"

    for input in fuzz/regressions/"$name"/*; do
        [ -f "$input" ] || continue
        if ! "$fuzzer" "$input" >"$work/regression.log" 2>&1; then
            echo "fuzz_$name: FAILED on the saved input $input"
            report_finding "$work/regression.log"
            status=1
        fi
    done

    if "$fuzzer" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1; then
        outcome="nothing found"
    else
        outcome="FAILED, input saved in $work/artifacts/"
        status=1
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
    echo "fuzz_$name: ${executions:-?} executions in up to $seconds s, $outcome"
    [ "$outcome" = "nothing found" ] || report_finding "$work/fuzz.log"
done
exit "$status"
