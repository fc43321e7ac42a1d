"""Headless Chromium (DevTools protocol) and Firefox ESR (WebDriver BiDi) behind one small interface;
WebKitGTK's MiniBrowser is in webkit.py.

Each browser runs in its own process group with a fresh temporary profile; stop() ends the group and
removes the profile, whatever state the browser is in.
"""
import asyncio
import base64
import ctypes
import json
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import threading
import time
import urllib.request
import zlib

import websockets

# The one deadline of every wait: a browser starting, a page answering, a frame drawn. Generous, as a loaded
# machine can take many seconds; free when things are fast, as each wait ends on its condition.
DEADLINE_SECONDS = 60
PR_SET_PDEATHSIG = 1


async def until(condition, what):
    """Awaits `condition()` (a coroutine function) until its result is true, at most DEADLINE_SECONDS; that
    result. RuntimeError names `what` when the deadline passes."""
    end = time.monotonic() + DEADLINE_SECONDS
    while True:
        result = await condition()
        if result:
            return result
        if time.monotonic() > end:
            raise RuntimeError(f"{what} within {DEADLINE_SECONDS} s")
        await asyncio.sleep(0.02)


def die_with_parent():
    """In the browser's process before it starts: SIGKILL when the test's process ends (Linux)."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)
    except (AttributeError, OSError):
        pass


class Browser:
    """A browser process and one page, driven over a websocket."""

    def __init__(self, args):
        self.profile = tempfile.mkdtemp(prefix=f"tirvok3-{self.name}-")
        self.process = None
        self.socket = None
        self.next_id = 0
        self.events = []
        self.answers = {}  # answers that came while another was awaited
        self.command = [*self.command_line(self.profile), *args]

    async def start(self):
        # Its own process group, and killed with the test should the test itself be killed.
        self.process = subprocess.Popen(self.command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                        start_new_session=True, text=True, preexec_fn=die_with_parent)
        loop = asyncio.get_running_loop()
        address = await asyncio.wait_for(loop.run_in_executor(None, self.find_address), DEADLINE_SECONDS)
        self.socket = await websockets.connect(self.socket_url(address), max_size=None, ping_interval=None)
        await self.connected()

    def find_address(self):
        for line in self.process.stderr:
            found = re.search(self.listening, line)
            if found:
                # Keep reading stderr so the browser never blocks on a full pipe.
                threading.Thread(target=lambda: [None for _ in self.process.stderr], daemon=True).start()
                return found.group(1)
        raise RuntimeError(f"{self.name} ended before it listened: {self.command}")

    async def send(self, method, params=None):
        self.next_id += 1
        await self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params or {}}))
        return self.next_id

    async def answer(self, ident, method):
        if ident in self.answers:
            message = self.answers.pop(ident)
        else:
            while True:
                message = json.loads(await asyncio.wait_for(self.socket.recv(), DEADLINE_SECONDS))
                if message.get("id") == ident:
                    break
                if "id" in message:
                    self.answers[message["id"]] = message
                else:
                    self.events.append(message)
        if "error" in message:
            raise RuntimeError(f"{self.name} {method}: {message['error']} {message.get('message', '')}")
        return message["result"]

    async def call(self, method, params=None):
        return await self.answer(await self.send(method, params), method)

    async def stop(self):
        try:
            if self.socket is not None:
                await self.socket.close()
        except Exception:
            pass
        if self.process is not None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    async def __aenter__(self):
        try:
            await self.start()
        except BaseException:
            await self.stop()
            raise
        return self

    async def __aexit__(self, *exc):
        await self.stop()

    async def value(self, expression):
        """The JSON value of an expression evaluated in the page (promises awaited)."""
        text = await self.evaluate(f"(async () => JSON.stringify(await ({expression})))()")
        return None if text is None else json.loads(text)

    async def click(self, x, y):
        await self.mouse([("move", x, y, 0), ("down", x, y, 0), ("up", x, y, 0)])


class Chromium(Browser):
    name = "chromium"
    listening = r"DevTools listening on ws://[^:]+:(\d+)/"
    buttons = ["left", "middle", "right", "back", "forward"]
    masks = [1, 4, 2, 8, 16]

    def command_line(self, profile):
        # As root Chromium needs --no-sandbox; the page's own size is the window's.
        return ["chromium", "--headless=new", "--no-sandbox", "--remote-debugging-port=0",
                f"--user-data-dir={profile}", "--no-first-run", "--no-default-browser-check",
                "--disable-gpu", "--window-size=1000,700"]

    def socket_url(self, port):
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=DEADLINE_SECONDS) as answer:
            pages = [t for t in json.load(answer) if t["type"] == "page"]
        return pages[0]["webSocketDebuggerUrl"]

    async def connected(self):
        await self.call("Page.enable")
        await self.call("Runtime.enable")
        self.held = 0
        self.pen_down = False

    async def open(self, url):
        self.events.clear()
        await self.call("Page.navigate", {"url": url})

        async def loaded():
            await self.call("Runtime.evaluate", {"expression": "0"})  # lets the events in
            return any(e.get("method") == "Page.loadEventFired" for e in self.events)
        await until(loaded, f"{self.name}: no load event for {url}")

    async def evaluate(self, expression):
        result = await self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                      "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{self.name}: {result['exceptionDetails']}")
        return result["result"].get("value")

    async def mouse(self, steps):
        """Real pointer input: ("move" | "down" | "up", x, y, button) in CSS pixels of the page. The events
        are sent without waiting for each other, as a real mouse's arrive: moves within one frame coalesce."""
        sent = []
        for kind, x, y, button in steps:
            if kind == "down":
                self.held |= self.masks[button]
            elif kind == "up":
                self.held &= ~self.masks[button]
            # A move during a drag names a held button, or Chromium drops the capture.
            name = self.buttons[button] if kind != "move" else next(
                (self.buttons[b] for b in range(5) if self.held & self.masks[b]), "none")
            sent.append(await self.send("Input.dispatchMouseEvent", {
                "type": {"move": "mouseMoved", "down": "mousePressed", "up": "mouseReleased"}[kind],
                "x": x, "y": y, "button": name, "buttons": self.held, "clickCount": 1 if kind != "move" else 0}))
        for ident in sent:
            await self.answer(ident, "Input.dispatchMouseEvent")

    async def contacts(self, kind, ticks):
        """Real touch or pen input: each tick a list of (\"down\" | \"move\" | \"up\" | \"cancel\", contact, x, y);
        touch contacts are fingers of one touch screen, a pen has one contact."""
        if kind == "pen":
            for tick in ticks:
                for action, _, x, y in tick:
                    pressed = action != "up" and (action == "down" or self.pen_down)
                    self.pen_down = pressed
                    await self.call("Input.dispatchMouseEvent", {
                        "type": {"down": "mousePressed", "up": "mouseReleased"}.get(action, "mouseMoved"),
                        "x": x, "y": y, "button": "left" if action != "move" or pressed else "none",
                        "buttons": 1 if pressed else 0, "clickCount": 0 if action == "move" else 1,
                        "pointerType": "pen"})
            return
        await self.call("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
        active = {}
        for tick in ticks:
            kinds = {action for action, *_ in tick}
            lifted = []
            for action, contact, x, y in tick:
                if action == "up":
                    lifted.append({"x": x, "y": y, "id": contact})
                    active.pop(contact, None)
                else:
                    active[contact] = {"x": x, "y": y, "id": contact}
            event = ("touchCancel" if "cancel" in kinds else "touchEnd" if "up" in kinds
                     else "touchStart" if "down" in kinds else "touchMove")
            points = [] if event == "touchCancel" else lifted if event == "touchEnd" else list(active.values())
            await self.call("Input.dispatchTouchEvent", {"type": event, "touchPoints": points})
            if event == "touchCancel":
                active.clear()
        # Left on, the emulation would hold back the mouse's moves of later steps.
        await self.call("Emulation.setTouchEmulationEnabled", {"enabled": False})

    async def key(self, key, code, text="", phases=("down", "up")):
        """A real key: pressed and let go, or only one of the two (`phases`)."""
        codes = {"Tab": 9, " ": 32, "Enter": 13, "Escape": 27, "ArrowLeft": 37, "ArrowUp": 38, "ArrowRight": 39,
                 "ArrowDown": 40}
        for phase in phases:
            await self.call("Input.dispatchKeyEvent", {
                "type": "keyDown" if phase == "down" else "keyUp", "key": key, "code": code,
                "text": text if phase == "down" else "", "windowsVirtualKeyCode": codes.get(key, 0)})

    async def screenshot(self):
        shot = await self.call("Page.captureScreenshot", {"format": "png"})
        return decode_png(base64.b64decode(shot["data"]))


class Firefox(Browser):
    name = "firefox"
    listening = r"WebDriver BiDi listening on ws://[^:]+:(\d+)"

    def command_line(self, profile):
        with open(os.path.join(profile, "user.js"), "w") as prefs:
            for key, value in self.prefs.items():
                prefs.write(f"user_pref({json.dumps(key)}, {json.dumps(value)});\n")
        return ["firefox-esr", "--headless", "--remote-debugging-port", "0", "--no-remote", "-profile", profile,
                "--width", "1000", "--height", "700"]

    def __init__(self, args, prefs=None):
        self.prefs = {"browser.shell.checkDefaultBrowser": False, "datareporting.policy.dataSubmissionEnabled": False,
                      "browser.startup.homepage_override.mstone": "ignore", **(prefs or {})}
        super().__init__(args)

    def socket_url(self, port):
        return f"ws://127.0.0.1:{port}/session"

    async def connected(self):
        await self.call("session.new", {"capabilities": {}})
        tree = await self.call("browsingContext.getTree", {})
        self.context = tree["contexts"][0]["context"]
        self.at = (0, 0)

    async def open(self, url):
        await self.call("browsingContext.navigate", {"context": self.context, "url": url, "wait": "complete"})

    async def evaluate(self, expression):
        result = await self.call("script.evaluate", {"expression": expression, "awaitPromise": True,
                                                     "target": {"context": self.context}})
        if result["type"] == "exception":
            raise RuntimeError(f"{self.name}: {result['exceptionDetails']}")
        return result["result"].get("value")

    async def mouse(self, steps):
        """Real pointer input: ("move" | "down" | "up", x, y, button) in whole CSS pixels of the page."""
        actions = []
        for kind, x, y, button in steps:
            # WebDriver presses where the pointer is: a press or release elsewhere goes there first.
            if kind == "move" or (int(x), int(y)) != self.at:
                actions.append({"type": "pointerMove", "x": int(x), "y": int(y), "duration": 0})
                self.at = (int(x), int(y))
            if kind != "move":
                actions.append({"type": "pointerDown" if kind == "down" else "pointerUp", "button": button})
        await self.call("input.performActions", {"context": self.context, "actions": [
            {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": actions}]})

    async def contacts(self, kind, ticks):
        """Real touch or pen input, as for Chromium; WebDriver has no cancel, so a tick with one is refused."""
        pause = {"type": "pause", "duration": 0}
        sources = {}
        for number, tick in enumerate(ticks):
            for action, contact, x, y in tick:
                if action == "cancel":
                    raise RuntimeError("firefox: WebDriver cannot cancel a touch")
                steps = sources.setdefault(contact, [])
                steps.extend(pause for _ in range(2 * number - len(steps)))  # two slots a tick: place, button
                steps.append({"type": "pointerMove", "x": int(x), "y": int(y), "duration": 0})
                steps.append({"type": "pointerDown" if action == "down" else "pointerUp", "button": 0}
                             if action != "move" else pause)
        await self.call("input.performActions", {"context": self.context, "actions": [
            {"type": "pointer", "id": f"{kind}{contact}", "parameters": {"pointerType": kind}, "actions": steps}
            for contact, steps in sources.items()]})

    async def key(self, key, code, text="", phases=("down", "up")):
        """A real key: pressed and let go, or only one of the two (`phases`)."""
        value = {"Tab": "\ue004", "Enter": "\ue007", "Escape": "\ue00c", "ArrowLeft": "\ue012", "ArrowUp": "\ue013",
                 "ArrowRight": "\ue014", "ArrowDown": "\ue015"}.get(key, key)  # WebDriver's code points
        await self.call("input.performActions", {"context": self.context, "actions": [
            {"type": "key", "id": "keyboard",
             "actions": [{"type": "keyDown" if phase == "down" else "keyUp", "value": value} for phase in phases]}]})

    async def screenshot(self):
        shot = await self.call("browsingContext.captureScreenshot", {"context": self.context})
        return decode_png(base64.b64decode(shot["data"]))


def decode_png(data):
    """(width, height, rows): rows of (r, g, b) tuples from an 8-bit RGB or RGBA, non-interlaced PNG."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, f"unsupported PNG {header}"
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, step)])
        previous = line
    return width, height, rows
