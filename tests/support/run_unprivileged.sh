#!/bin/sh
# Runs a test program as an unprivileged user when started as root (as CI is), so that tests of
# folders and files the operator may not write mean something; as any other user it runs as is.
set -eu
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$program" "$@"
fi
# The build tree may lie where that user cannot reach: run a copy from a folder of its own.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/"
chmod 755 "$dir"
cd "$dir"
setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$dir" "./$(basename "$program")" "$@"
