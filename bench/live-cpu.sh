#!/bin/sh
# CPU use of the real program, idle with an empty scene, as a share of one core.
# Usage: bench/live-cpu.sh [path/to/tirvok3] [seconds]   (defaults: the Release build's program, 20)
# Starts its own Xvfb on a free display, lets the window settle, then reads utime + stime of the
# program from /proc at the start and end of the window.
set -eu

BIN=${1:-$(dirname "$0")/../build/src/tirvok3}
SECONDS_MEASURED=${2:-20}
SETTLE=2

[ -x "$BIN" ] || { echo "no program at $BIN (run 'make build' first)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }

TMP=$(mktemp -d)
XVFB_PID=""
APP_PID=""
cleanup() {
    for pid in $APP_PID $XVFB_PID; do
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

QT_QPA_PLATFORM=xcb "$BIN" >"$TMP/app.log" 2>&1 &
APP_PID=$!
sleep "$SETTLE"
kill -0 "$APP_PID" 2>/dev/null || { echo "the program exited early" >&2; cat "$TMP/app.log" >&2; exit 1; }

# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks. The command name
# (field 2) has no spaces here, so plain field splitting is safe.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
now() { awk '{ print $1 }' /proc/uptime; }

app0=$(ticks "$APP_PID"); x0=$(ticks "$XVFB_PID"); t0=$(now)
sleep "$SECONDS_MEASURED"
app1=$(ticks "$APP_PID"); x1=$(ticks "$XVFB_PID"); t1=$(now)

HZ=$(getconf CLK_TCK)
awk -v a0="$app0" -v a1="$app1" -v x0="$x0" -v x1="$x1" -v t0="$t0" -v t1="$t1" -v hz="$HZ" 'BEGIN {
    wall = t1 - t0
    printf "tirvok3: %.2f %% of one core over %.1f s (idle, empty scene)\n", 100 * (a1 - a0) / hz / wall, wall
    printf "Xvfb:    %.2f %% of one core (the X server showing its repaints)\n", 100 * (x1 - x0) / hz / wall
}'
