#!/bin/sh
# Builds the Debian package with cpack and checks that it installs with apt on this machine and
# that the installed program answers --version. Runs as root (as CI does) or with sudo. A package
# that was not installed before is removed again at the end.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target digitrace digitizer-sim digitrace-replay
(cd build && rm -f digitrace_*.deb && cpack -G DEB >/dev/null)
deb=$(ls build/digitrace_*.deb)
echo "Built $deb"

export DEBIAN_FRONTEND=noninteractive
if ! dpkg-query -W -f='${Status}' digitrace 2>/dev/null | grep -q 'install ok installed'; then
    trap '$sudo apt-get remove -y -qq digitrace >/dev/null' EXIT
fi
$sudo apt-get install -y -qq "./$deb" >/dev/null
version=$(cd / && QT_QPA_PLATFORM=offscreen digitrace --version)
expected="digitrace $(sed -n 's/^project(digitrace VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
if [ "$version" != "$expected" ]; then
    echo "digitrace --version says \"$version\", expected \"$expected\"" >&2
    exit 1
fi
for f in /usr/share/applications/digitrace.desktop /usr/share/icons/hicolor/scalable/apps/digitrace.svg; do
    [ -f "$f" ] || { echo "$f is not installed" >&2; exit 1; }
done
echo "Installed: $version"
