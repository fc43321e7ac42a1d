#!/usr/bin/env bash
# Soak run: starts the real program on a private Xvfb display, lets xdotool click and drag at
# random over the window for a while, then reports crashes and resident-memory growth.
#
#   bench/soak.sh [seconds] [program]      defaults: 600 and build/src/tirvok3
#
# SOAK_SEED picks the random sequence (default 1). Growth is measured from the first sample
# taken after the warm-up minute to the last one; the target is under 1 MiB.
# Exit status: 0 when the program survived, 1 when it crashed, 2 on a set-up failure.
set -uo pipefail

DURATION=${1:-600}
PROGRAM=${2:-build/src/tirvok3}
SEED=${SOAK_SEED:-1}
WARMUP=60
SAMPLE_EVERY=5
GROWTH_TARGET_KIB=1024

# Tool buttons, in window pixels: left edge, width and the top of each button, height.
TOOL_LEFT=424
TOOL_WIDTH=137
TOOL_TOPS=(16 40 64 88)
TOOL_HEIGHT=22
# Plan view panes (XY, YZ, XZ) and the 3D pane: left, top; all 200 x 200.
PANES=("220 18" "220 238" "2 238" "2 18")
PANE_SIZE=200

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "soak: $tool is missing" >&2; exit 2; }
done
[ -x "$PROGRAM" ] || { echo "soak: no program at $PROGRAM (build it first)" >&2; exit 2; }

xvfb_pid=""
app_pid=""
scratch=$(mktemp -d)
cleanup()
{
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb takes a free display itself and writes its number to fd 3 once it accepts clients there.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 600); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$scratch/display" ] || { echo "soak: Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 2; }
display=:$(cat "$scratch/display")
export DISPLAY=$display

"$PROGRAM" >/dev/null 2>&1 &
app_pid=$!
# Waits up to a minute for the window to map.
wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tirvok 3$' 2>/dev/null | head -n 1)
[ -n "$wid" ] || { echo "soak: the window did not appear" >&2; exit 2; }

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$app_pid/status" 2>/dev/null; }
alive() { kill -0 "$app_pid" 2>/dev/null; }
# A random integer in lo..hi.
rand() { echo $(($1 + (RANDOM * 32768 + RANDOM) % ($2 - $1 + 1))); }

# A point inside a random plan or 3D pane, as "x y" window pixels.
pane_point()
{
    local pane=(${PANES[$((RANDOM % ${#PANES[@]}))]})
    echo "$((pane[0] + RANDOM % PANE_SIZE)) $((pane[1] + RANDOM % PANE_SIZE))"
}

# Press a button in a pane, wander (sometimes far outside the panes and the window), release.
drag()
{
    local button=$1
    local args=(mousemove --window "$wid" $(pane_point) mousedown "$button")
    local steps
    steps=$(rand 1 25)
    for _ in $(seq "$steps"); do
        if ((RANDOM % 5 == 0)); then
            # Screen pixels: anywhere, X keeps the pointer on the screen.
            args+=(mousemove "$(rand 0 3000)" "$(rand 0 3000)")
        else
            args+=(mousemove --window "$wid" $(pane_point))
        fi
    done
    args+=(mouseup "$button")
    xdotool "${args[@]}" 2>/dev/null
}

click_tool()
{
    local top=${TOOL_TOPS[$((RANDOM % ${#TOOL_TOPS[@]}))]}
    xdotool mousemove --window "$wid" $((TOOL_LEFT + RANDOM % TOOL_WIDTH)) $((top + RANDOM % TOOL_HEIGHT)) \
        click 1 2>/dev/null
}

RANDOM=$SEED
start=$SECONDS
next_sample=0
baseline=""
first_rss=$(rss_kib)
last_rss=$first_rss
peak_rss=$first_rss
actions=0
crashed=0

echo "soak: $PROGRAM on $display for ${DURATION}s, seed $SEED"
while ((SECONDS - start < DURATION)); do
    if ! alive; then
        crashed=1
        break
    fi
    case $((RANDOM % 10)) in
        0 | 1 | 2) click_tool ;;
        3 | 4 | 5) drag 1 ;;
        6 | 7) drag 3 ;;
        8) drag 2 ;;
        9) xdotool mousemove --window "$wid" $(pane_point) click $(rand 1 3) 2>/dev/null ;;
    esac
    actions=$((actions + 1))
    elapsed=$((SECONDS - start))
    if ((elapsed >= next_sample)); then
        rss=$(rss_kib)
        if [ -n "$rss" ]; then
            last_rss=$rss
            ((rss > peak_rss)) && peak_rss=$rss
            if [ -z "$baseline" ] && ((elapsed >= WARMUP)); then
                baseline=$rss
            fi
        fi
        next_sample=$((elapsed + SAMPLE_EVERY))
    fi
done
alive || crashed=1

echo "soak: ${actions} random actions in $((SECONDS - start))s"
echo "soak: resident memory at start ${first_rss} KiB, peak ${peak_rss} KiB, end ${last_rss} KiB"
if [ -n "$baseline" ]; then
    growth=$((last_rss - baseline))
    verdict="within"
    ((growth >= GROWTH_TARGET_KIB)) && verdict="ABOVE"
    echo "soak: growth after the first minute: ${growth} KiB (${baseline} -> ${last_rss}), $verdict the ${GROWTH_TARGET_KIB} KiB target"
else
    echo "soak: run shorter than the ${WARMUP}s warm-up, no growth figure"
fi
if ((crashed)); then
    wait "$app_pid"
    echo "soak: CRASH: the program exited with status $? after $((SECONDS - start))s"
    exit 1
fi
echo "soak: crashes: 0"
