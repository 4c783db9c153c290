#!/usr/bin/env bash
# Builds the Debian package from the build tree with cpack, reads its control
# fields, unpacks it and starts the unpacked program on a real X server: what
# a user gets from `apt install ./simatoplektis_*.deb`, short of installing.
# Usage: package.sh CPACK CPACK_CONFIG APP_ID PROGRAM VERSION
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "${1:-}" = "--launch" ]; then
    # Second half, run inside xvfb-run: the help window must come up, and
    # must belong to the unpacked program rather than to anything else.
    program=$2
    "$program" &
    pid=$!
    trap 'kill $pid 2>/dev/null || true' EXIT
    win=$(timeout 20 xdotool search --sync --onlyvisible --name '^ΒΟΗΘΕΙΑ$' | head -n 1) || true
    [ -n "$win" ] || fail "the unpacked program showed no help window"
    owner=$(xdotool getwindowpid "$win") || fail "the help window names no process"
    [ "$owner" = "$pid" ] || fail "the help window belongs to process $owner, not to $pid"
    kill -0 $pid 2>/dev/null || fail "the unpacked program died"
    echo "ok: the unpacked program opened its help window"
    # Its sound comes from the module installed beside it, loaded at Ctrl+M.
    xdotool windowfocus --sync "$win" key Return
    main=$(timeout 20 xdotool search --sync --onlyvisible --name 'ΣΗΜΑΤΟΠΛΕΚΤΗΣ' | head -n 1) || true
    [ -n "$main" ] || fail "the unpacked program showed no keyboard window after OK"
    xdotool windowfocus --sync "$main" key ctrl+m
    module=/usr/lib/simatoplektis/libsimatoplektis-sound.so
    for _ in $(seq 50); do
        ! grep -qF "$module" "/proc/$pid/maps" || break
        sleep 0.1
    done
    grep -qF "$module" "/proc/$pid/maps" || fail "Ctrl+M did not load $module"
    echo "ok: Ctrl+M loaded the installed sound module"
    kill $pid
    wait $pid 2>/dev/null || true
    trap - EXIT
    exit 0
fi

cpack=$1 config=$2 id=$3 program=$4 version=$5
scratch=$(mktemp -d "${TMPDIR:-/tmp}/simatoplektis-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

"$cpack" --config "$config" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "${program}_${version}_${arch}.deb" ] \
    || fail "package file is $(basename "$deb"), expected ${program}_${version}_${arch}.deb"
echo "ok: built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    local got
    got=$(field "$1")
    [ "$got" = "$2" ] || fail "$1 is [$got], expected [$2]"
    echo "ok: $1: $got"
}
expect_field Package "$program"
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section education
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

depends=$(field Depends)
echo "Depends: $depends"
has_dep() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ *(.*//; s/ *|.*//' | grep -qx "$1"; }
# dpkg-shlibdeps writes a minimum version for each library it found; a
# hand-written list usually has none.
for lib in libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -Eq "(^|, )${lib}(t64)? \(>= [^)]+\)" <<<"$depends" \
        || fail "Depends has no computed entry for $lib"
done
has_dep fonts-liberation2 || fail "Depends lacks fonts-liberation2, the face the windows are laid out for"
has_dep fonts-dejavu-core || fail "Depends lacks fonts-dejavu-core, the face of the Braille cells"

dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root
bin=$root/usr/bin/$program
for f in "usr/bin/$program" \
         "usr/share/applications/$id.desktop" \
         "usr/share/metainfo/$id.metainfo.xml" \
         "usr/share/icons/hicolor/32x32/apps/$id.png" \
         "usr/share/icons/hicolor/scalable/apps/$id.svg" \
         "usr/lib/$program/lib$program-sound.so"; do
    [ -f "$root/$f" ] && [ -s "$root/$f" ] || fail "the package lacks /$f"
    echo "ok: /$f"
done
[ -x "$bin" ] || fail "/usr/bin/$program is not executable"
others=$(find "$root/usr/bin" -mindepth 1 ! -name "$program")
[ -z "$others" ] || fail "the package ships other programs: $others"
stray=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$stray" ] || fail "the package installs outside /usr: $stray"

# A 32x32 icon that is not 32x32 is scaled, blurred, by every menu.
png=$root/usr/share/icons/hicolor/32x32/apps/$id.png
[ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "the 32x32 icon is not a PNG"
read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$png")
width=$(( (w1 << 24) | (w2 << 16) | (w3 << 8) | w4 )) height=$(( (h1 << 24) | (h2 << 16) | (h3 << 8) | h4 ))
[ "$width" -eq 32 ] && [ "$height" -eq 32 ] || fail "the 32x32 icon is ${width}x${height}"
echo "ok: the 32x32 icon is a 32x32 PNG"
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is not SVG"

# The whole installed tree as a software centre reads it: the metainfo finds
# its desktop entry and its icon.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli rejects the installed tree"

# Installed, the program and its sound module take their libraries from the
# system alone (Debian allows no run path there), and carry no debug info.
# Every library they link to must come from a package in Depends.
for elf in "$bin" "$root/usr/lib/$program/lib$program-sound.so"; do
    name=${elf#"$root"}
    dynamic=$(readelf -d "$elf")
    if grep -E '\((RUNPATH|RPATH)\)' <<<"$dynamic"; then fail "the installed $name keeps a run path"; fi
    if grep -q '\.debug_info' <<<"$(readelf -S "$elf")"; then fail "the installed $name is not stripped"; fi
    libs=$(ldd "$elf")
    if grep -q 'not found' <<<"$libs"; then echo "$libs" >&2; fail "unresolved libraries in $name"; fi
    for soname in $(sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' <<<"$dynamic"); do
        # The dynamic loader (needed once the module uses thread-local
        # storage) is listed by its path alone, without "=>".
        path=$(awk -v s="$soname" '$1 == s && $2 == "=>" { print $3; exit } $1 ~ "/" s "$" { print $1; exit }' <<<"$libs")
        [ -n "$path" ] || fail "ldd does not resolve $soname"
        # Merged /usr: dpkg may know the file under /lib or under /usr/lib.
        owner=$(dpkg-query -S "*${path#/usr}" 2>/dev/null | grep -v '^diversion' | head -n 1 | sed 's/:.*//; s/,.*//' || true)
        [ -n "$owner" ] || fail "no package owns $path"
        has_dep "$owner" || fail "$soname of $name comes from $owner, which Depends lacks"
        echo "ok: $soname of $name from $owner"
    done
done

xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --launch "$bin"
