#!/bin/sh
# Runs a Windows program under 64-bit Wine in a prefix of the build's own: tests/wine.sh PREFIX PROGRAM [ARGS...].
# The first call makes the prefix (about 5 s) with Wine's fonts copied in, so the faces Wine has are
# the real ones rather than a stand-in; Mono and Gecko are never asked for. `tests/wine.sh PREFIX --stop`
# ends every process of the prefix, its wineserver included; `tests/wine.sh PREFIX --side TOOL [ARGS...]`
# runs a tool beside the program under test and leaves the prefix running. A scale factor asked for the
# Qt way (QT_SCALE_FACTOR=2) becomes Wine's display setting (192 dots per inch) before the program starts.
# When the program ends or this script is stopped, every process of the prefix goes with it, so the
# next program meets no Wine process still holding an X display that has gone. Wine's own messages stay
# quiet except for the program's: its "fixme" lines (calls Wine only pretends to make) and errors go to
# the program's output, which the real-window tests print when a test fails.
set -eu
WINEPREFIX=$1
shift
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "${1:-}" = --stop ]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi
if [ "${1:-}" = --side ]; then
    shift
    exec wine "$@"
fi
mkdir -p "$WINEPREFIX"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.made" ]; then
        wine wineboot -i >/dev/null 2>&1
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
        # Windows' default preferences (keyboard cues off), so the program takes a default Windows' path.
        wine reg add 'HKCU\Control Panel\Desktop' /v UserPreferencesMask /t REG_BINARY /d 9e1e078012000000 /f \
            >/dev/null 2>&1
        touch "$WINEPREFIX/.made"
    fi
    dpi=$(awk -v f="${QT_SCALE_FACTOR:-1}" 'BEGIN { printf "%d", 96 * f + 0.5 }')
    if [ "$(cat "$WINEPREFIX/.dpi" 2>/dev/null)" != "$dpi" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        echo "$dpi" >"$WINEPREFIX/.dpi"
    fi
) 9>"$WINEPREFIX.lock"
WINEDEBUG=-all,err+all,fixme+all wine "$@" &
program=$!
trap 'kill $program 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w; exit 143' TERM INT
status=0
wait $program || status=$?
wineserver -k 2>/dev/null || true
wineserver -w
exit $status
