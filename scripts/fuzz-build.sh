#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz/, the libraries instrumented too so that
# coverage and the sanitizers reach into them. Used by fuzz.sh and fuzz-explore.sh.
set -eu
cd "$(dirname "$0")/.."
flags="-O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
flags="$flags -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="$flags" -DDIGITRACE_FUZZ=ON -DDIGITRACE_TESTS=OFF \
    -DDIGITRACE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_receiver fuzz_dxf
