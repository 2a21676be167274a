#!/bin/sh
# Sets up, builds and opens the window with the simulated tablet. Without a display, runs the same
# demo unattended offscreen and prints what the window shows and where it saved the DXF and PNG.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build build -j "$(nproc)" --target digitrace
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Press 接続 to watch the sample sheet being traced."
    exec build/app/digitrace --demo "$@"
fi
mkdir -p build/demo
# Qt wants a private runtime directory; a root shell without a session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
echo "No display: running the demo unattended."
QT_QPA_PLATFORM=offscreen exec build/app/digitrace --demo --unattended --speed 10 \
    --dxf "$PWD/build/demo/sample-sheet.dxf" --png "$PWD/build/demo/window.png" "$@"
