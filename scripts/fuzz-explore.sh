#!/bin/sh
# Open-ended fuzzing, not part of the gate: each target runs from a random seed for a while
# (FUZZ_SECONDS, default 600) on a growing corpus kept in build-fuzz/explore/. A finding is saved
# under build-fuzz/explore/<target>/artifacts/; once fixed, copy it to fuzz/regressions/<target>/ so
# that the gate replays it for good.
set -eu
cd "$(dirname "$0")/.."
scripts/fuzz-build.sh
seconds=${FUZZ_SECONDS:-600}
export UBSAN_OPTIONS=print_stacktrace=1
status=0
for name in ${FUZZ_TARGETS:-receiver formats dxf control_points journal}; do
    work="build-fuzz/explore/$name"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp -n fuzz/corpus/"$name"/* fuzz/regressions/"$name"/* "$work/corpus/" 2>/dev/null || true
    if "build-fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=25 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1; then
        echo "fuzz_$name: nothing found in $seconds s (log: $work/fuzz.log)"
    else
        echo "fuzz_$name: FOUND something, input saved in $work/artifacts/ (log: $work/fuzz.log)"
        status=1
    fi
done
exit "$status"
