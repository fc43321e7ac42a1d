#!/bin/sh
# Runs a Windows program under 64-bit Wine in a prefix of the build's own: tests/wine.sh PREFIX PROGRAM [ARGS...].
# The first call makes the prefix (about 5 s) with Wine's fonts copied in, so "MS Sans Serif" is the
# real face rather than a stand-in; Mono and Gecko are never asked for. `tests/wine.sh PREFIX --stop`
# ends every process of the prefix, its wineserver included. A scale factor asked for the Qt way
# (QT_SCALE_FACTOR=2) becomes Wine's display setting (192 dots per inch) before the program starts.
# When the program ends or this script is stopped, every process of the prefix goes with it, so the
# next program meets no Wine process still holding an X display that has gone.
set -eu
WINEPREFIX=$1
shift
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${1:-}" = --stop ]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi
mkdir -p "$WINEPREFIX"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.made" ]; then
        wine wineboot -i >/dev/null 2>&1
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
        touch "$WINEPREFIX/.made"
    fi
    dpi=$(awk -v f="${QT_SCALE_FACTOR:-1}" 'BEGIN { printf "%d", 96 * f + 0.5 }')
    if [ "$(cat "$WINEPREFIX/.dpi" 2>/dev/null)" != "$dpi" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        echo "$dpi" >"$WINEPREFIX/.dpi"
    fi
) 9>"$WINEPREFIX.lock"
wine "$@" &
program=$!
trap 'kill $program 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w; exit 143' TERM INT
status=0
wait $program || status=$?
wineserver -k 2>/dev/null || true
wineserver -w
exit $status
