#!/bin/sh
# CPU use of the real program, idle, as a share of one core.
# Usage: bench/live-cpu.sh [path/to/tirvok3] [seconds] [prisms]
#   (defaults: the Release build's program, 20, 0 = the empty scene); TIRVOK3_COMMAND, when set, is
#   the command that starts the program instead (say, tests/wine.sh PREFIX build-windows/Tirvok3.exe),
#   TIRVOK3_WINDOW_MANAGER a window manager to run it under (Wine's windows take clicks only so), and
#   TIRVOK3_INPUT_PAUSE seconds to wait between pointer actions (Wine drops a press and release that
#   come in the same instant; 0.01 is enough).
# Starts its own Xvfb on a free display, times the start-up to a visible window, lets it settle,
# builds the scene through real input (xdotool: press "Prizma Ekle", then drag a 30 x 20 box in the
# top view, once per prism; then the camera is put up and to the side with "Kamera" in the front
# view), then reads utime + stime of the program from /proc at the start and end of the window.
set -eu

BIN=${1:-$(dirname "$0")/../build/src/tirvok3}
SECONDS_MEASURED=${2:-20}
PRISMS=${3:-0}
SETTLE=2
BATCH=32  # prisms per xdotool call

COMMAND=${TIRVOK3_COMMAND:-$BIN}
[ -n "${TIRVOK3_COMMAND:-}" ] || [ -x "$BIN" ] || { echo "no program at $BIN (run 'make build' first)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }

TMP=$(mktemp -d)
XVFB_PID=""
APP_PID=""
WM_PID=""
cleanup() {
    for pid in $APP_PID $WM_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$TMP"
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$TMP/display" 2>"$TMP/xvfb.log" &
XVFB_PID=$!
i=0
while [ ! -s "$TMP/display" ]; do
    i=$((i + 1))
    [ $i -le 100 ] || { echo "Xvfb did not start" >&2; cat "$TMP/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
DISPLAY=:$(cat "$TMP/display")
export DISPLAY

if [ -n "${TIRVOK3_WINDOW_MANAGER:-}" ]; then
    $TIRVOK3_WINDOW_MANAGER >"$TMP/wm.log" 2>&1 &
    WM_PID=$!
    sleep 1
fi
now() { awk '{ print $1 }' /proc/uptime; }
launched=$(now)
# shellcheck disable=SC2086 # the command's words
QT_QPA_PLATFORM=xcb $COMMAND >"$TMP/app.log" 2>&1 &
APP_PID=$!
# Start-up: from the launch to the window "Tirvok 3" being mapped, polled every 10 ms for up to 30 s.
if command -v xdotool >/dev/null; then
    i=0
    until xdotool search --onlyvisible --name '^Tirvok 3$' >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -le 3000 ] && kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.01
    done
    awk -v t0="$launched" -v t1="$(now)" 'BEGIN { printf "start-up to a visible window: %.2f s\n", t1 - t0 }'
fi
sleep "$SETTLE"
kill -0 "$APP_PID" 2>/dev/null || { echo "the program exited early" >&2; cat "$TMP/app.log" >&2; exit 1; }

if [ "$PRISMS" -gt 0 ]; then
    command -v xdotool >/dev/null || { echo "xdotool is not installed" >&2; exit 1; }
    WIN=$(xdotool search --sync --onlyvisible --name '^Tirvok 3$' | head -n 1)
    # The client area's place on the screen, also inside a window manager's frame.
    X=$(xwininfo -id "$WIN" | awk '/Absolute upper-left X/ { print $NF }')
    Y=$(xwininfo -id "$WIN" | awk '/Absolute upper-left Y/ { print $NF }')
    w=${TIRVOK3_INPUT_PAUSE:+sleep $TIRVOK3_INPUT_PAUSE}  # between pointer actions, or nothing
    # Client-area places: the middle of "Prizma Ekle" (424, 64, 137 x 22) and the top view (220, 18),
    # whose boxes stay 30 pixels clear of its edges so the drags never scroll it.
    BUTTON_X=$((X + 424 + 68))
    BUTTON_Y=$((Y + 64 + 11))
    PANE_X=$((X + 220 + 30))
    PANE_Y=$((Y + 18 + 60))
    k=0
    while [ $k -lt "$PRISMS" ]; do
        set --
        n=0
        while [ $n -lt $BATCH ] && [ $k -lt "$PRISMS" ]; do
            px=$((PANE_X + 10 * (k % 11)))
            py=$((PANE_Y + 10 * ((k / 11) % 11)))
            # The release after adding switches the tool to "Son Prizmayi Duzenle", so press the button each time.
            # shellcheck disable=SC2086 # $w is a pause or nothing
            set -- "$@" mousemove $BUTTON_X $BUTTON_Y $w mousedown 1 $w mouseup 1 mousemove $px $py $w mousedown 1 \
                $w mousemove $((px + 30)) $((py - 20)) $w mouseup 1 $w
            n=$((n + 1))
            k=$((k + 1))
        done
        xdotool "$@"
    done
    # "Kamera" (424, 16), then a press in the front view (2, 238): camera at x = -60, z = 60.
    # shellcheck disable=SC2086
    xdotool mousemove $((BUTTON_X)) $((Y + 16 + 11)) $w mousedown 1 $w mouseup 1 \
        mousemove $((X + 2 + 40)) $((Y + 238 + 40)) $w mousedown 1 $w mouseup 1 mousemove $((X + 700)) $((Y + 500))
    sleep "$SETTLE"
    kill -0 "$APP_PID" 2>/dev/null || { echo "the program exited while the scene was built" >&2; exit 1; }
fi
SCENE="empty scene"
[ "$PRISMS" -eq 0 ] || SCENE="$PRISMS prisms"

# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks, of the process and all its
# children (a start command such as Wine's runs the program as one). The command names (field 2) have
# no spaces here, so plain field splitting is safe.
family() { echo "$1"; for child in $(pgrep -P "$1"); do family "$child"; done; }
ticks() { for pid in $(family "$1"); do cat "/proc/$pid/stat"; done 2>/dev/null | awk '{ t += $14 + $15 } END { print t }'; }

app0=$(ticks "$APP_PID"); x0=$(ticks "$XVFB_PID"); t0=$(now)
sleep "$SECONDS_MEASURED"
app1=$(ticks "$APP_PID"); x1=$(ticks "$XVFB_PID"); t1=$(now)

HZ=$(getconf CLK_TCK)
awk -v a0="$app0" -v a1="$app1" -v x0="$x0" -v x1="$x1" -v t0="$t0" -v t1="$t1" -v hz="$HZ" -v scene="$SCENE" 'BEGIN {
    wall = t1 - t0
    printf "tirvok3: %.2f %% of one core over %.1f s (idle, %s)\n", 100 * (a1 - a0) / hz / wall, wall, scene
    printf "Xvfb:    %.2f %% of one core (the X server showing its repaints)\n", 100 * (x1 - x0) / hz / wall
}'
