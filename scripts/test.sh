#!/bin/sh
# Sets up, builds and runs every test: once in a release build, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Debian package's install, then the fuzzers.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

for preset in release asan; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

# The Debian package: built, installed with apt and started (about 15 s after the release build).
scripts/package-test.sh

# The fuzzers on the receive path and the DXF writer: a fixed seed and a fixed number of runs each.
scripts/fuzz.sh
