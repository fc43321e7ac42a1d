#!/bin/sh
# No X11 and no Wayland display: one line on stderr saying how to fix it, exit status 1, no core dump.
# With QT_QPA_PLATFORM=offscreen the program still starts (and keeps running until stopped).
set -u
program=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>"$err"
rc=$?
fail() { echo "no_display: $*"; cat "$err"; exit 1; }
[ "$rc" -eq 1 ] || fail "exit status $rc, expected 1"
[ "$(wc -l <"$err")" -eq 1 ] || fail "expected exactly one line on stderr"
grep -q "graphical session" "$err" && grep -q "qt6-wayland" "$err" || fail "the line does not say how to fix it"
if grep -qi "reinstall" "$err"; then fail "Qt's reinstall advice leaked through"; fi
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen timeout 2 "$program" 2>"$err"
rc=$?
[ "$rc" -eq 124 ] || fail "with QT_QPA_PLATFORM=offscreen it ended with status $rc instead of running"
echo "no_display: 2 passed, 0 failed"
