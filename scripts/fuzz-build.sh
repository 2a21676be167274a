#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz/ (the fuzz preset), the libraries
# instrumented too so that coverage and the sanitizers reach into them. Used by fuzz.sh and
# fuzz-explore.sh.
set -eu
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
