#!/bin/sh
# Installs the Debian packages the project builds, tests and runs with. Quiet and quick when they
# are already there.
set -eu
packages="cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-serialport-dev
qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
libgtest-dev libgmock-dev libbenchmark-dev python3-ezdxf gdal-bin libgdal-dev libgeos-dev libpq-dev fonts-noto-cjk xvfb xauth
postgresql postgresql-15-postgis-3"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq $missing >/dev/null
