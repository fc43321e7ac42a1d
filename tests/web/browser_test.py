#!/usr/bin/python3
"""The page in headless Chromium, Firefox ESR and WebKitGTK with real pointer and key input, every pane
compared byte for byte with the native engine's rasters for the same session:

    browser_test.py PAGE.html REPLAY SESSION.txt

REPLAY is the Linux build's web_session_replay. Chromium runs the session over http:// in English,
Firefox from file:// in German (decimal comma), WebKit over http:// under LANG=C.UTF-8 (a language Intl
rejects); each then opens the page the other way, WebKit in German. Chromium and Firefox show the panes at
200 % (exact 2 x 2 blocks), Chromium also at 150 % (no blended colours). Chromium also checks every failure
message, the window on a phone upright and on its side, and installs the site (PAGE's folder's site/) and
starts it offline. Every browser started is stopped at the end, whatever happened.
"""
import asyncio
import base64
import functools
import http.server
import os
import pathlib
import subprocess
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browsers import Chromium, Firefox, until  # noqa: E402
from webkit import WebKit  # noqa: E402
from page_checks import (check_axe, check_contrast, check_failures, check_fits_phone,  # noqa: E402
                         check_installs_offline, places, ticks_pass)

PANES = ["EkranXY", "EkranXZ", "EkranYZ", "Ekran3B"]  # pane id order, as the replay writes them
PANE = 200
TOOLS = ["BKamera", "BOdak", "BPrizma", "BSonPrizma"]
BUTTONS = {"left": 0, "middle": 1, "right": 2}

# The page's state as the test reads it: pane bytes, the tool that is down, the readouts.
READ_PAGE = """(() => {
  const panes = %s.map((id) => {
    const data = document.getElementById(id).getContext('2d').getImageData(0, 0, %d, %d).data;
    let text = '';
    for (let i = 0; i < data.length; i += 8192) text += String.fromCharCode(...data.subarray(i, i + 8192));
    return btoa(text);
  });
  const down = %s.filter((id) => document.getElementById(id).getAttribute('aria-pressed') === 'true');
  const readouts = Array.from({length: 16}, (_, i) => document.getElementById('Label' + (i + 1)).textContent);
  return {panes, tool: down.length ? down.join('+') : 'none', readouts};
})()""" % (PANES, PANE, PANE, TOOLS)

# Records whether the page suppressed each context menu, and the pointer that pressed last.
WATCH_PAGE = """(() => {
  window.testMenus = [];
  document.addEventListener('contextmenu', (e) => testMenus.push(e.defaultPrevented));
  document.addEventListener('pointerdown', (e) => { window.testPointer = e.pointerId; }, true);
  window.testMerged = 0;  // moves that arrived merged into another's pointermove
  document.addEventListener('pointermove', (e) => {
    testMerged += Math.max(0, e.getCoalescedEvents().length - 1);
  }, true);
  return true;
})()"""


class Failures(list):
    def check(self, ok, what):
        if not ok:
            self.append(what)
            print(f"FAIL {what}", flush=True)


def expected(replay_dir, check, separator):
    rgba = (replay_dir / f"check-{check}.rgba").read_bytes()
    lines = (replay_dir / f"check-{check}.txt").read_text().splitlines()
    return rgba, lines[0], [line.replace(".", separator) for line in lines[1:]]


async def compare(browser, failures, replay_dir, check, separator, label):
    await ticks_pass(browser)
    page = await browser.value(READ_PAGE)
    rgba, tool, readouts = expected(replay_dir, check, separator)
    size = PANE * PANE * 4
    for i, name in enumerate(PANES):
        shown = base64.b64decode(page["panes"][i])
        want = rgba[i * size:(i + 1) * size]
        wrong = sum(1 for k in range(0, size, 4) if shown[k:k + 4] != want[k:k + 4])
        failures.check(wrong == 0, f"{label} check {check}: {name} differs from the native engine in {wrong} pixels")
    failures.check(page["tool"] == tool, f"{label} check {check}: tool down {page['tool']}, native {tool}")
    failures.check(page["readouts"] == readouts, f"{label} check {check}: readouts {page['readouts']} != {readouts}")


async def run_session(browser, failures, session, replay_dir, separator, label, offset, left_only=False):
    """Drives the session with real input; `offset` is added to whole pane pixels (Chromium takes fractions).
    With `left_only` the session ends before its first press of another button; returns the checks made."""
    boxes = await places(browser)
    at = (0, 0)
    check = 0
    held = []
    moves = []
    for number, line in enumerate(session.read_text().splitlines(), 1):
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        verb = words[0]
        if verb != "move" and moves:
            await browser.mouse(moves)
            moves = []
        if verb == "check":
            await compare(browser, failures, replay_dir, check, separator, f"{label} line {number}")
            check += 1
        elif verb == "tool":
            left, top, width, height = boxes[words[1]]
            at = (int(left + width / 2), int(top + height / 2))
            await browser.click(*at)
        elif verb in ("press", "move"):
            left, top = boxes[words[1]][:2]
            x, y = int(words[-2]), int(words[-1])
            at = (left + x + offset, top + y + offset)
            if verb == "move":
                moves.append(("move", *at, 0))  # sent together with the moves that follow
                continue
            else:
                if left_only and words[2] != "left":
                    break
                button = BUTTONS[words[2]]
                held.append(button)
                await browser.mouse(([("move", *at, 0)] if len(held) == 1 else []) + [("down", *at, button)])
        elif verb == "release":
            held.remove(BUTTONS[words[1]])
            await browser.mouse([("up", *at, BUTTONS[words[1]])])
        elif verb == "lose":
            # The capture taken away by the page itself, then the button let go.
            await browser.value("(() => { for (const c of document.querySelectorAll('canvas')) "
                                "if (c.hasPointerCapture(testPointer)) c.releasePointerCapture(testPointer); })()")
            await ticks_pass(browser, 1)
            for button in reversed(held):
                await browser.mouse([("up", *at, button)])
            held.clear()
        else:
            raise RuntimeError(f"{session}:{number}: unknown step {line}")
    return check


async def check_controls(browser, failures, label, space_clicks=True):
    """Names, tooltip and layout as the other shells have them; Tab and Space work the tools."""
    boxes = await places(browser)
    failures.check(await browser.value("document.title") == "Tirvok 3", f"{label}: title")
    failures.check(boxes["EkranXY"] == [220, 18, 200, 200] and boxes["BKamera"] == [424, 16, 137, 22],
                   f"{label}: controls not at the layout table's places: {boxes['EkranXY']} {boxes['BKamera']}")
    spoken = await browser.value("['EkranXY', 'Label7', 'BKamera'].map((id) => { const e = document.getElementById(id);"
                                 " return [e.getAttribute('aria-label') ?? e.dataset.measures ?? null, e.title, e.textContent]; })")
    failures.check(spoken == [["XY görünümü, üstten", "", ""], ["Bakış azimutu", "", spoken[1][2]],
                              [None, "Kamera ekle", "Kamera"]], f"{label}: names and tooltip {spoken}")
    # The session's clicks moved the focus's starting point: start again from the first tool.
    await browser.value("document.getElementById('BKamera').focus() || true")
    if not space_clicks:
        # Headless Firefox over BiDi activates no button by key (not even a bare page's): Tab order only.
        await browser.key("Tab", "Tab")
        focused = await browser.value("document.activeElement.id")
        failures.check(focused == "BOdak", f"{label}: the second Tab stop is {focused}")
        return
    await browser.key(" ", "Space", " ")
    state = await browser.value("[document.activeElement.id, document.activeElement.getAttribute('aria-pressed')]")
    failures.check(state == ["BKamera", "true"], f"{label}: Tab and Space put the first tool down: {state}")
    await browser.key("Tab", "Tab")
    await browser.key(" ", "Space", " ")
    state = await browser.value("['BKamera', 'BOdak'].map((id) => "
                                "document.getElementById(id).getAttribute('aria-pressed'))")
    failures.check(state == ["false", "true"], f"{label}: the next tool raises the first: {state}")


# Sequences the input model rules: (name, tool clicked first, input kind, steps, camera x, y, z after, tools down
# after). Steps of a mouse are ("move" | "down" | "up", where, x, y, button); of touch and pen, ticks of
# (action, contact, where, x, y). `where` is a plan pane (its pixels) or "face" (the page's, off every control).
FACE = (600, 500)
POINTER_CASES = [
    ("a chord begun on the face reaches no pane", "BKamera", "mouse",
     [("down", "face", *FACE, 1), ("down", "EkranXY", 50, 50, 0), ("move", "EkranXY", 60, 60, 0),
      ("up", "face", *FACE, 0), ("up", "face", *FACE, 1), ("move", "EkranXY", 0, 100, 0),
      ("move", "EkranXY", 1, 100, 0)], ["0", "0", "0"], "BKamera"),
    ("a second finger neither moves nor ends the first one's drag", "BKamera", "touch",
     [[("down", 1, "EkranXY", 120, 80)], [("down", 2, "EkranXY", 60, 140)], [("move", 2, "EkranXY", 50, 150)],
      [("move", 1, "EkranXY", 130, 70)], [("up", 2, "EkranXY", 50, 150)], [("move", 1, "EkranXY", 140, 60)],
      [("up", 1, "EkranXY", 140, 60)]], ["40", "40", "0"], "BKamera"),
    ("a cancelled touch is a release", "BPrizma", "touch",
     [[("down", 1, "EkranXZ", 100, 100)], [("cancel", 1, "EkranXZ", 100, 100)]], ["0", "0", "0"], "none"),
    ("a pen acts as the left button and stops at its first hover", "BKamera", "pen",
     [[("down", 1, "EkranXY", 110, 100)], [("move", 1, "EkranXY", 150, 60)], [("up", 1, "EkranXY", 150, 60)],
      [("move", 1, "EkranXY", 170, 30)]], ["50", "40", "0"], "BKamera"),
]


async def check_pointers(browser, failures, url, label, driven=("mouse", "touch", "pen", "cancel")):
    """Chords, fingers and pens through the browser's own event delivery, each on a fresh page; `driven`
    names what the browser's automation can send."""
    for name, tool, kind, steps, camera, tools in POINTER_CASES:
        cancels = kind != "mouse" and any(a == "cancel" for tick in steps for a, *_ in tick)
        if kind not in driven or (cancels and "cancel" not in driven):
            continue
        await browser.open(url)
        boxes = await places(browser)
        left, top, width, height = boxes[tool]
        await browser.click(int(left + width / 2), int(top + height / 2))
        place = lambda where, x, y: (x, y) if where == "face" else (boxes[where][0] + x, boxes[where][1] + y)  # noqa
        if kind == "mouse":
            await browser.mouse([(action, *place(where, x, y), button) for action, where, x, y, button in steps])
        else:
            await browser.contacts(kind, [[(a, c, *place(w, x, y)) for a, c, w, x, y in tick] for tick in steps])
        await ticks_pass(browser)
        shown = await browser.value("[1, 2, 3].map((i) => document.getElementById('Label' + i).textContent)")
        down = await browser.value("[...document.querySelectorAll('[aria-pressed=true]')].map((b) => b.id).join('+')")
        failures.check(shown == camera and (down or "none") == tools,
                       f"{label}: {name}: camera {shown}, tools {down or 'none'}; want {camera}, {tools}")


# A key session and its mouse twin: Kamera down, a click at (120, 90) in the top view, a drag from there to
# (100, 90), then a right click at the front view's origin; keys as (key, code, text, phases, shift).
KEY_SESSION = [("Tab", "Tab")] * 4 + [("ArrowRight", "ArrowRight")] * 2 + [
    ("ArrowUp", "ArrowUp"), ("Enter", "Enter", "\r"), (" ", "Space", " ", ("down",)), ("ArrowLeft", "ArrowLeft"),
    ("ArrowLeft", "ArrowLeft"), (" ", "Space", " ", ("up",)), ("Tab", "Tab"), ("Escape", "Escape")]
MOUSE_TWIN = [("EkranXY", 120, 90, [("down", 0), ("up", 0), ("down", 0)]), ("EkranXY", 110, 90, []),
              ("EkranXY", 100, 90, [("up", 0)]), ("EkranXZ", 100, 100, [("down", 2), ("up", 2)])]
TAB_ORDER = ["BOdak", "BPrizma", "BSonPrizma", "EkranXY", "EkranXZ", "EkranYZ"]


async def check_keys(browser, failures, url, label, space_clicks=True):
    """The focus starts on Kamera and goes in the order of the work; a key session ends on the pixels of its
    mouse twin, with the keyboard pointer shown over the focused view and never drawn into it."""
    await browser.open(url)
    await ticks_pass(browser)
    order = [await browser.value("document.activeElement.id")]
    for _ in TAB_ORDER:
        await browser.key("Tab", "Tab")
        order.append(await browser.value("document.activeElement.id"))
    failures.check(order == ["BKamera"] + TAB_ORDER, f"{label}: focus order {order}")
    states = []
    for twin in (False, True):
        await browser.open(url)
        boxes = await places(browser)
        kamera = boxes["BKamera"]
        if twin or not space_clicks:  # headless Firefox over BiDi activates no button by key
            await browser.click(int(kamera[0] + kamera[2] / 2), int(kamera[1] + kamera[3] / 2))
        else:
            await browser.key(" ", "Space", " ")
        if twin:
            for pane, x, y, buttons in MOUSE_TWIN:
                at = (boxes[pane][0] + x, boxes[pane][1] + y)
                await browser.mouse([("move", *at, 0)] + [(kind, *at, button) for kind, button in buttons])
        else:
            if not space_clicks:
                await browser.value("document.getElementById('BKamera').focus() || true")
            for key, code, *rest in KEY_SESSION:
                await browser.key(key, code, *rest)
        await ticks_pass(browser)
        states.append(await browser.value(READ_PAGE))
        if not twin:
            cross = await browser.value("[...document.querySelectorAll('div')].filter((d) => d.style.display === "
                                        "'block' && d.style.mixBlendMode).map((d) => [d.offsetLeft, d.offsetTop])")
            left, top = boxes["EkranXZ"][:2]
            failures.check(cross == [[left + 96, top + 96]], f"{label}: the keyboard pointer shows at {cross}")
    failures.check(states[0] == states[1], f"{label}: the key session differs from its mouse twin: "
                   f"{states[0]['tool']} {states[0]['readouts'][:6]} / {states[1]['tool']} {states[1]['readouts'][:6]}")


async def check_before_first_frame(browser, failures, url, label):
    """With the page's timers held back, the readouts show their captions: "Label1".."Label8" twice."""
    hold = await browser.call("Page.addScriptToEvaluateOnNewDocument",
                              {"source": "window.setInterval = window.setTimeout = () => 0;"})
    await browser.open(url)
    captions = await until(lambda: browser.value("window.tirvok3 ? Array.from({length: 16}, (_, i) => "
                                                 "document.getElementById('Label' + (i + 1)).textContent) : null"),
                           f"{label}: the page did not start")
    await browser.call("Page.removeScriptToEvaluateOnNewDocument", hold)
    want = [f"Label{i % 8 + 1}" for i in range(16)]
    failures.check(captions == want, f"{label}: readouts before the first frame {captions}")


async def check_opens(browser, failures, url, separator, label):
    """The page opened another way draws frames with the right separator."""
    await browser.open(url)
    await ticks_pass(browser)
    azimuth_end = await browser.value("document.getElementById('Label13').textContent")
    failures.check(separator in azimuth_end, f"{label}: readout {azimuth_end!r} without {separator!r}")


async def check_scaled(browser, failures, replay_dir, label, scale):
    """At 200 % each pane pixel is an exact 2 x 2 block of device pixels; at 150 % no colour is blended."""
    rgba = (replay_dir / "check-0.rgba").read_bytes()
    boxes = await places(browser)
    width, height, rows = await browser.screenshot()
    for i, name in enumerate(PANES):
        left, top = (round(v * scale) for v in boxes[name][:2])
        pane = rgba[i * PANE * PANE * 4:(i + 1) * PANE * PANE * 4]
        colour = lambda x, y: tuple(pane[(y * PANE + x) * 4:(y * PANE + x) * 4 + 3])  # noqa: E731
        span = range(int(scale * PANE))
        if scale == 2:
            wrong = sum(1 for y in span for x in span if rows[top + y][left + x] != colour(x // 2, y // 2))
            failures.check(wrong == 0, f"{label}: {name} at 200 % has {wrong} device pixels off their 2 x 2 block")
        else:
            colours = {colour(x, y) for y in range(PANE) for x in range(PANE)}
            blended = sum(1 for y in span for x in span if rows[top + y][left + x] not in colours)
            failures.check(blended == 0, f"{label}: {name} at {scale:.0%} has {blended} blended device pixels")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(folder):
    """A static server for the page's folder, as `python3 -m http.server` is."""
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


async def main(page, replay, session):
    failures = Failures()
    with tempfile.TemporaryDirectory(prefix="tirvok3-replay-") as folder:
        replay_dir = pathlib.Path(folder)
        subprocess.run([replay, session, folder], check=True, stdout=subprocess.DEVNULL)
        server = serve(str(page.parent))
        http_url = f"http://127.0.0.1:{server.server_address[1]}/{page.name}"
        file_url = page.as_uri()
        try:
            async with Chromium([]) as chromium:
                await chromium.open(http_url)
                await chromium.value(WATCH_PAGE)
                # Fractions of a CSS pixel, as real pointers give: the page takes the floor.
                checks = await run_session(chromium, failures, session, replay_dir, ".", "chromium", 0.5)
                merged = {"chromium": await chromium.value("testMerged")}
                rules = await check_axe(chromium, failures, "chromium")
                menus = await chromium.value("testMenus")
                failures.check(menus and all(menus), f"chromium: context menus not suppressed: {menus}")
                await check_controls(chromium, failures, "chromium")
                ratios = await check_contrast(chromium, failures, "chromium")
                await check_pointers(chromium, failures, http_url, "chromium")
                await check_keys(chromium, failures, http_url, "chromium")
                await check_before_first_frame(chromium, failures, http_url, "chromium")
                await chromium.open(http_url)
                for scale in (2, 1.5):
                    await chromium.call("Emulation.setDeviceMetricsOverride", {
                        "width": 1000, "height": 700, "deviceScaleFactor": scale, "mobile": False})
                    await check_scaled(chromium, failures, replay_dir, "chromium", scale)
                await chromium.call("Emulation.clearDeviceMetricsOverride")
                await check_opens(chromium, failures, file_url, ".", "chromium from file://")
                await check_fits_phone(chromium, failures, http_url)
                await check_failures(chromium, failures, http_url)
            site = serve(str(page.parent / "site"))
            async with Chromium([]) as chromium:
                await check_installs_offline(chromium, failures, f"http://127.0.0.1:{site.server_address[1]}/", site)
            german = {"intl.accept_languages": "de-DE", "intl.locale.requested": "de-DE"}
            async with Firefox([], prefs=german) as firefox:
                await firefox.open(file_url)
                await firefox.value(WATCH_PAGE)
                await run_session(firefox, failures, session, replay_dir, ",", "firefox (de-DE)", 0)
                merged["firefox"] = await firefox.value("testMerged")
                menus = await firefox.value("testMenus")
                failures.check(menus and all(menus), f"firefox: context menus not suppressed: {menus}")
                await check_controls(firefox, failures, "firefox", space_clicks=False)
                # Firefox's WebDriver has no pen and no touch cancel.
                await check_pointers(firefox, failures, file_url, "firefox", driven=("mouse", "touch"))
                await check_keys(firefox, failures, file_url, "firefox", space_clicks=False)
                await check_opens(firefox, failures, http_url, ",", "firefox over http://")
            async with Firefox([], prefs={"layout.css.devPixelsPerPx": "2"}) as firefox:
                await firefox.open(file_url)
                await check_scaled(firefox, failures, replay_dir, "firefox", 2)
            # LANG=C.UTF-8 (Debian's default in a container): WebKitGTK's navigator.language is "C".
            async with WebKit([], lang="C.UTF-8") as webkit:
                await webkit.open(http_url)
                await webkit.value(WATCH_PAGE)
                # WebKitWebDriver releases every button as the left one (the right button's release arrives as
                # a pointermove with button 0 and the right still in buttons): the left-button part only.
                checks_webkit = await run_session(webkit, failures, session, replay_dir, ".", "webkit (C.UTF-8)",
                                                  0, left_only=True)
                merged["webkit"] = await webkit.value("testMerged")
                await check_controls(webkit, failures, "webkit", space_clicks=False)
            async with WebKit([], lang="de_DE.UTF-8") as webkit:
                await check_opens(webkit, failures, file_url, ",", "webkit (de_DE.UTF-8) from file://")
        finally:
            server.shutdown()
    print(f"{checks} checks of the session in Chromium and Firefox, {checks_webkit} in WebKit; moves merged into "
          f"another's event: {merged}; {rules} axe rules; contrast {ratios}; {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    sys.exit(asyncio.run(main(pathlib.Path(sys.argv[1]).resolve(), sys.argv[2], pathlib.Path(sys.argv[3]))))
