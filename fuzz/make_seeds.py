#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into fuzz/corpus/ (run from the repository root)."""
import pathlib
import struct

ROOT = pathlib.Path(__file__).parent / "corpus"


def near(v):  # a position or coordinate in and around the pane: one mode byte, value + 28
    return bytes([0, v + 28, 0])


def i32(v):
    return bytes([5]) + struct.pack("<i", v)


def i16(v):
    return bytes([7]) + struct.pack("<h", v)


def f64(v):
    return bytes([6]) + struct.pack("<d", v)


# Engine events: op 0 tool click, 1 press (pane, button, x, y), 2 move (x, y), 3 release, 4 frame,
# 5 repeat (low three bits: events - 1, the rest: times - 1). Panes XY 0, XZ 1, YZ 2; tools Kamera 0,
# Odak 1, Prizma 2, SonPrizma 3; buttons Left 0, Right 1, Middle 2, Other 3.
def tool(t): return bytes([0, t])
def press(pane, button, x, y): return bytes([1, pane, button]) + x + y
def move(x, y): return bytes([2]) + x + y
def release(button): return bytes([3, button])
FRAME = bytes([4])
def repeat(events, times): return bytes([5, (times - 1) << 3 | (events - 1)])


engine = {
    "far_sight_line": tool(0) + press(0, 0, near(114), near(86)) + move(i32(671127040), i32(-2147483647))
    + release(0) + FRAME,
    "full_table": tool(2) + press(1, 0, near(50), near(60)) + release(0) + repeat(3, 32) * 64 + FRAME
    + tool(2) + press(1, 0, near(10), near(10)) + release(0) + FRAME,
    "stretch_in_top_view": tool(2) + press(0, 0, near(50), near(50)) + move(near(150), near(120))
    + move(i32(2**31 - 1), i32(-2**31)) + release(0) + tool(3) + press(0, 0, near(3), near(190))
    + move(near(199), near(0)) + repeat(1, 32) + release(0) + FRAME,
    "right_drag_scroll": press(2, 1, near(5), near(5)) + move(near(5), near(5)) + repeat(1, 32) * 8
    + press(2, 0, near(190), near(190)) + release(0) + FRAME + release(1) + FRAME,
    "focus_at_odd_positions": tool(1) + press(1, 0, f64(float("nan")), f64(float("inf")))
    + move(f64(-1e300), i16(-32768)) + move(f64(199.99), f64(-0.5)) + FRAME + release(0) + tool(1) + tool(1)
    + press(0, 2, near(100), near(100)) + release(2) + FRAME,
}

def cnear(v):  # a canvas coordinate in and around the pane: one mode byte, value + 28
    return bytes([0, v + 28])


# Canvas calls: one size byte (0x0, 1x1, 3x200, 257x31, 200x200), then op 0 move, 1 line, 2 rectangle,
# 3 ellipse, 4 set pixel, each with its coordinates.
def call(op, *coords): return bytes([op]) + b"".join(coords)


canvas = {
    "ellipses_qt_spilled": bytes([4]) + call(3, cnear(-2), cnear(-2), cnear(199), cnear(30))
    + call(3, cnear(198), cnear(0), i16(32767), cnear(198)) + call(3, i32(-4194300), cnear(0), i32(4194300), cnear(200)),
    "far_lines": bytes([4]) + call(0, i32(-2**31), cnear(7)) + call(1, i32(2**31 - 1), cnear(9))
    + call(1, i32(671127039), i32(-2147483649 + 1)) + call(1, cnear(99), cnear(101)),
    "lines_on_narrow_pane": bytes([2]) + call(0, cnear(-5), cnear(-20)) + call(1, cnear(5), cnear(219))
    + call(1, i32(-1000000), i32(3000000)) + call(1, cnear(1), cnear(100)),
    "wide_short_pane": bytes([3]) + call(0, cnear(0), cnear(30)) + call(1, i16(256), cnear(0))
    + call(2, cnear(-1), cnear(-1), cnear(227), cnear(32)) + call(3, cnear(10), cnear(5), cnear(200), cnear(25))
    + call(4, i16(256), cnear(30)),
    "tiny_panes": bytes([1]) + call(2, i32(-2**31), i32(-2**31), i32(2**31 - 1), i32(2**31 - 1))
    + call(3, cnear(0), cnear(0), cnear(1), cnear(1)) + call(1, cnear(1), cnear(1)) + call(4, cnear(0), cnear(0)),
    "empty_pane": bytes([0]) + call(1, cnear(100), cnear(100)) + call(3, cnear(0), cnear(0), cnear(6), cnear(6))
    + call(2, cnear(-1), cnear(-1), cnear(1), cnear(1)),
}

for target, seeds in (("engine_events", engine), ("canvas_calls", canvas)):
    folder = ROOT / target
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)
