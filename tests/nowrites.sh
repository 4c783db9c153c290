#!/usr/bin/env bash
# The program writes nothing: a whole end-to-end session, on a session bus as
# on a desktop, under strace; any file opened for writing, created, renamed or
# removed outside /dev, /proc and the runtime directory fails the test.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
program=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
trace="$scratch/trace"

export E2E_WRAPPER="strace -f -qq -o $trace -e trace=open,openat,openat2,creat,truncate,mkdir,mkdirat,rename,renameat,renameat2,unlink,unlinkat,link,linkat,symlink,symlinkat"
dbus-run-session -- "$here/e2e.sh" "$program"

# A call that changes the file system, or an open that may write.
writes=$(grep -E '^[0-9]+ +(creat|truncate|mkdir|mkdirat|rename|renameat2?|unlink|unlinkat|link|linkat|symlink|symlinkat)\(|O_(WRONLY|RDWR|CREAT|TRUNC|APPEND)' "$trace" \
    | grep -vE '= -1 ' \
    | grep -oE '"[^"]*"' | tr -d '"' | sort -u \
    | grep -vE "^(/dev/|/proc/|$XDG_RUNTIME_DIR)" || true)
opened=$(grep -cE 'open' "$trace" || true)
# Nor does it read the stylesheet that e2e.sh names on its command line.
if grep -q 'simatoplektis-e2e-style\.qss' "$trace"; then
    echo "FAIL: the program read the stylesheet named on its command line" >&2
    exit 1
fi
if [ -n "$writes" ]; then
    echo "FAIL: the program wrote to:" >&2
    echo "$writes" >&2
    exit 1
fi
echo "ok: $opened file-system calls traced, none writes outside /dev, /proc and $XDG_RUNTIME_DIR"
