#!/usr/bin/env bash
# Makes a fresh Wine prefix at DIR, set up as the Windows tests need it.
# Usage: wineprefix.sh DIR
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all
# No Mono or Gecko: Wine would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

# A Windows desktop has its UI faces with Greek; Wine's stand-ins have none,
# so they are mapped to Liberation Sans. With no window manager, Wine must not
# wait for one at every close. The widget tests run on Qt's offscreen
# platform, which on Windows reads its faces from one folder; it is named in
# the prefix, since Wine hands no QT_ variable on to Windows programs.
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Tahoma"="Liberation Sans"
"Segoe UI"="Liberation Sans"
"Microsoft Sans Serif"="Liberation Sans"
"MS Sans Serif"="Liberation Sans"
"MS Shell Dlg"="Liberation Sans"
"MS Shell Dlg 2"="Liberation Sans"

[HKEY_CURRENT_USER\Environment]
"QT_QPA_FONTDIR"="Z:\\usr\\share\\fonts\\truetype\\liberation2"
REG
wine regedit /S "$(winepath -w "$reg")"
wineserver -w
echo "ok: a fresh Wine prefix at $WINEPREFIX"
