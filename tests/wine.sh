#!/usr/bin/env bash
# The Windows program as a Windows user gets it, under Wine on a private X
# server, in a prefix made fresh for this run: the setup program, built here
# by cpack, installs it silently; the Linux end-to-end session drives the
# installed program, started from where it was installed, at 96 DPI and
# again at 120 DPI on a laptop's screen; the uninstaller removes everything
# again.
# A session of use writes nothing: the prefix's files, Wine's own registry
# files aside, are the same before and after it.
# Usage: wine.sh CPACK CPACK_CONFIG VERSION
set -euo pipefail
if [ -z "${E2E_DISPLAY_READY:-}" ]; then
    export E2E_DISPLAY_READY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
here=$(dirname "$(realpath "$0")")
cpack=$1 config=$2 version=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/simatoplektis-wine.XXXXXX")
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
settle() { wineserver -w; }  # until every Wine process of the prefix has ended

"$cpack" --config "$config" -G "NSIS;ZIP" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
setup="$scratch/out/simatoplektis-$version-win64.exe"
[ -f "$setup" ] || fail "cpack made no $(basename "$setup")"
grep -q '/simatoplektis\.exe$' <<<"$(unzip -l "$scratch/out/simatoplektis-$version-win64.zip")" \
    || fail "the zip holds no simatoplektis.exe"

"$here/wineprefix.sh" "$WINEPREFIX"

# Every file and folder of the prefix, with the contents of each file.
files() {
    (cd "$WINEPREFIX" && find . ! -name '*.reg' -printf '%y %p\n' | sort \
        && find . -type f ! -name '*.reg' -print0 | sort -z | xargs -0 sha256sum)
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Simatoplektis'
files >"$scratch/before-install"

# --- Install ---------------------------------------------------------------------
wine "$setup" /S
settle
installed="$WINEPREFIX/drive_c/Program Files/Simatoplektis"
program="$installed/simatoplektis.exe"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Σηματοπλέκτης.lnk"
[ -f "$program" ] || fail "the setup program installed no $program"
[ -f "$shortcut" ] || fail "the setup program made no Start-menu shortcut"
[ -f "$installed/Uninstall.exe" ] || fail "the setup program left no uninstaller"
# One file, no DLL beside it: what the program needs is inside it.
beside=$(cd "$installed" && LC_ALL=C ls | tr '\n' ' ')
[ "$beside" = "DejaVuSans-LICENSE.txt LiberationSans-LICENSE.txt Uninstall.exe simatoplektis.exe " ] || fail "installed: $beside"
grep -q '(GUI)' <<<"$(file "$program")" || fail "the program would open a console window"
resources=$(wrestool -l "$program")
[ "$(grep -c 'type=group_icon' <<<"$resources")" = 1 ] || fail "the program has not one icon group: $resources"
grep -q 'type=version' <<<"$resources" || fail "the program has no version resource"
# The designed image, and the lily at the sizes a scaled desktop picks.
wrestool -x --type=group_icon "$program" >"$scratch/program.ico"
sizes=$(icotool -l "$scratch/program.ico" | grep -o 'width=[0-9]*' | tr '\n' ' ')
[ "$sizes" = "width=32 width=48 width=64 width=256 " ] || fail "the program's icon holds $sizes"
grep -q REG_DWORD <<<"$(wine reg query "$uninstall_key" /v EstimatedSize 2>/dev/null)" \
    || fail "the list of installed programs shows no size"
wine reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 \
    || fail "the uninstaller is not listed among the installed programs"
echo "ok: installed, with a Start-menu shortcut and a listed uninstaller"

# --- A session of use ------------------------------------------------------------
files >"$scratch/before-use"
E2E_WRAPPER=wine "$here/e2e.sh" "$program"
settle
[ -z "$(pgrep -f 'simatoplektis\.exe' || true)" ] || fail "a process of the program is left"

# Once more on a laptop's screen at 120 DPI (125 %), where the keyboard window
# is drawn smaller to fit. Wine reads the DPI when its server starts, and the
# server keeps the display it started on: both start afresh.
wineserver -k 2>/dev/null || true
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null 2>&1
settle
wineserver -k 2>/dev/null || true
env -u E2E_DISPLAY_READY -u E2E_SOUND -u E2E_PICTURES E2E_SCREEN=1366x768x24 E2E_DPR=1.25 E2E_WRAPPER=wine \
    E2E_SHOTS="${E2E_SHOTS:+$E2E_SHOTS/120dpi}" "$here/e2e.sh" "$program"
settle
[ -z "$(pgrep -f 'simatoplektis\.exe' || true)" ] || fail "a process of the program is left"

files >"$scratch/after-use"
diff "$scratch/before-use" "$scratch/after-use" >&2 || fail "the program changed the files above"
echo "ok: the program wrote no file"

# --- Uninstall -------------------------------------------------------------------
wine "$installed/Uninstall.exe" /S
settle
# The uninstaller runs from a copy in Temp that Windows removes at its next
# start; so does Wine's restart.
wineboot -r >/dev/null 2>&1
settle
! wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstaller is still listed"
files >"$scratch/after-uninstall"
diff "$scratch/before-install" "$scratch/after-uninstall" >&2 || fail "the uninstaller left the files above"
echo "ok: uninstalled, nothing left behind"
