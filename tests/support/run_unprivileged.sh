#!/bin/sh
# Runs a test program as an unprivileged user when started as root (as CI is), so that tests of
# folders and files the operator may not write mean something; as any other user it runs as is.
set -eu
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$program" "$@"
fi
source_tree=$(cd "$(dirname "$0")/../.." && pwd)
# The build tree may lie where that user cannot reach: run a copy from a folder of its own.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/"
chmod 755 "$dir"
cd "$dir"
# A checkout in root's home (mode 700) is out of that user's reach, and with it the build tree
# under it. The run hides the tree the same way wherever it lies, so that a test reading from it
# fails here too rather than only on such a machine.
as_nobody='
    if [ -n "$1" ]; then mount -t tmpfs -o mode=700 hidden "$1" || exit 2; fi
    home=$2
    shift 2
    exec setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" "$@"'
status=0
if unshare --mount true 2>/dev/null; then
    unshare --mount sh -c "$as_nobody" sh "$source_tree" "$dir" "./$(basename "$program")" "$@" ||
        status=$?
else
    echo "note: cannot hide $source_tree from the test user (no mount namespace)" >&2
    sh -c "$as_nobody" sh "" "$dir" "./$(basename "$program")" "$@" || status=$?
fi
exit "$status"
