#!/usr/bin/env bash
# The menu entry and the software-centre metadata: both must pass their
# validators, and must agree with each other and with the build on the id,
# the program's name and the version, or menus and software centres show a
# broken or stale entry.
# Usage: metadata.sh DESKTOP_FILE METAINFO_FILE PROGRAM VERSION
set -euo pipefail
desktop=$1 metainfo=$2 program=$3 version=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# desktop-file-validate exits 0 on warnings and hints; it must have nothing
# to say (a hint of two main categories means menus list the program twice).
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate rejected $desktop"
[ -z "$report" ] || { echo "$report"; fail "desktop-file-validate has remarks on $desktop"; }

# --strict fails on warnings and infos too; only pedantic notes pass.
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli rejected $metainfo"

key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
tag() { sed -n "s|.*<$1>\\(.*\\)</$1>.*|\\1|p" "$metainfo" | head -n 1; }
same() {
    if [ "$2" = "$3" ]; then echo "ok: $1 is [$2]"; else fail "$1 is [$2], expected [$3]"; fi
}

id=$(tag id)
[ -n "$id" ] || fail "metainfo has no <id>"
same "metainfo file name" "$(basename "$metainfo")" "$id.metainfo.xml"
same "desktop file name" "$(basename "$desktop")" "$id.desktop"
same "launchable" "$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")" "$id.desktop"
same "desktop Icon" "$(key Icon)" "$id"
same "desktop Exec" "$(key Exec)" "$program"
same "provided binary" "$(tag binary)" "$program"
same "newest release" "$(grep -o '<release [^>]*version="[^"]*"' "$metainfo" | head -n 1 | sed 's/.*version="//; s/"$//')" "$version"
same "desktop Terminal" "$(key Terminal)" "false"

# The program is Greek: its menu entry and its metadata must speak Greek,
# with English for everyone else.
for k in Name Comment; do
    [ -n "$(key "$k")" ] || fail "desktop entry has no $k"
    [ -n "$(key "$k\\[el\\]")" ] || fail "desktop entry has no $k[el]"
done
same "desktop Name[el]" "$(key 'Name\[el\]')" "Σηματοπλέκτης"
same "metainfo Greek name" "$(sed -n 's|.*<name xml:lang="el">\(.*\)</name>.*|\1|p' "$metainfo")" "Σηματοπλέκτης"
for t in summary p; do
    grep -q "<$t>" "$metainfo" || fail "metainfo has no English <$t>"
    grep -q "<$t xml:lang=\"el\">" "$metainfo" || fail "metainfo has no Greek <$t>"
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "ok: menu entry and metadata agree"
