#!/bin/sh
# The fuzzers as a gate, run by the test command: each target replays the inputs saved under
# fuzz/regressions/, then runs a fixed number of inputs from a fixed seed, starting from its seed
# corpus and the regressions. The same commit explores the same inputs on every machine, so the
# gate never passes or fails by luck. Open-ended exploration is scripts/fuzz-explore.sh.
set -eu
cd "$(dirname "$0")/.."
scripts/fuzz-build.sh

# About 30 s each on a CI machine.
runs_receiver=${FUZZ_RUNS_RECEIVER:-3000}
runs_formats=${FUZZ_RUNS_FORMATS:-60000}
runs_dxf=${FUZZ_RUNS_DXF:-8000}
runs_control_points=${FUZZ_RUNS_CONTROL_POINTS:-400000}
runs_journal=${FUZZ_RUNS_JOURNAL:-100000}
seed=20261207

export UBSAN_OPTIONS=print_stacktrace=1
status=0

# Prints what a failed run found.
report_finding() {
    {
        grep -A1 '^Invariant broken' "$1" || true
        grep -E 'runtime error|^SUMMARY' "$1" || true
    } | head -n 12 | sed 's/^/    /'
}

for name in receiver formats dxf control_points journal; do
    fuzzer="build-fuzz/fuzz/fuzz_$name"
    work="build-fuzz/run/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp fuzz/corpus/"$name"/* "$work/corpus/"
    cp fuzz/regressions/"$name"/* "$work/corpus/" 2>/dev/null || true

    for input in fuzz/regressions/"$name"/*; do
        [ -f "$input" ] || continue
        if ! "$fuzzer" "$input" >"$work/regression.log" 2>&1; then
            echo "fuzz_$name: FAILED on the saved input $input"
            report_finding "$work/regression.log"
            status=1
        fi
    done

    eval runs="\$runs_$name"
    start=$(date +%s)
    if "$fuzzer" -seed="$seed" -runs="$runs" -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1; then
        outcome="nothing found"
    else
        outcome="FAILED, input saved in $work/artifacts/ (add it to fuzz/regressions/$name/)"
        status=1
    fi
    echo "fuzz_$name: $runs runs from seed $seed in $(($(date +%s) - start)) s, $outcome"
    [ "$outcome" = "nothing found" ] || report_finding "$work/fuzz.log"
done
# Every prefix and every single-bit flip of the real journals in the corpus: the damage a crash or
# a failing disk does, swept whole rather than sampled.
start=$(date +%s)
log=build-fuzz/run/journal/variants.log
if build-fuzz/fuzz/fuzz_journal_variants fuzz/corpus/journal/* >"$log" 2>&1; then
    echo "fuzz_journal_variants: $(tail -n 1 "$log") in $(($(date +%s) - start)) s, nothing found"
else
    echo "fuzz_journal_variants: FAILED (log: $log)"
    report_finding "$log"
    status=1
fi
exit "$status"
