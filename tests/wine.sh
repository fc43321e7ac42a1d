#!/bin/sh
# Runs a Windows program under 64-bit Wine in a prefix of the build's own: tests/wine.sh PREFIX PROGRAM [ARGS...].
# The first call makes the prefix (about 5 s) with Wine's fonts copied in, so "MS Sans Serif" is the
# real face rather than a stand-in; Mono and Gecko are never asked for. `tests/wine.sh PREFIX --stop`
# ends every process of the prefix, its wineserver included.
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
        wineserver -w
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
        touch "$WINEPREFIX/.made"
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
