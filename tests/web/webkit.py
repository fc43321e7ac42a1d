"""WebKitGTK's MiniBrowser (Safari's engine) behind browsers.py's interface: W3C WebDriver (classic, over
HTTP) through WebKitWebDriver, on an Xvfb of its own. MiniBrowser, WebKitWebDriver and Xvfb run in their
own process groups and are killed when the test ends, fails or is itself killed.
"""
import asyncio
import base64
import glob
import json
import os
import shutil
import signal
import socket
import subprocess
import urllib.error
import urllib.request

from browsers import DEADLINE_SECONDS, Browser, decode_png, die_with_parent, until


class WebKit(Browser):
    """MiniBrowser (WebKitGTK, Safari's engine) driven by WebKitWebDriver over classic W3C WebDriver, on an
    Xvfb of its own, in the language `lang` (the process's LANG)."""
    name = "webkit"
    listening = r"^$"  # unused: the driver's port is chosen here
    # Debian installs it under the architecture's library folder.
    minibrowser = next(iter(sorted(glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser"))), "MiniBrowser")

    def __init__(self, args, lang="C.UTF-8"):
        self.lang = lang
        self.xvfb = None
        self.session = None
        super().__init__(args)

    def command_line(self, profile):
        return ["WebKitWebDriver"]

    async def start(self):
        display = await self.start_xvfb()
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        env = {**os.environ, "DISPLAY": f":{display}", "LANG": self.lang, "LC_ALL": self.lang,
               "LANGUAGE": "", "HOME": self.profile, "XDG_RUNTIME_DIR": self.profile}
        self.process = subprocess.Popen([*self.command, f"--port={port}", "--host=127.0.0.1"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True, preexec_fn=die_with_parent)
        self.base = f"http://127.0.0.1:{port}"

        async def listening():
            try:
                return await self.request("GET", "/status") is not None
            except OSError:
                return False
        await until(listening, "webkit: WebKitWebDriver not listening")
        caps = {"browserName": "MiniBrowser",
                "webkitgtk:browserOptions": {"binary": self.minibrowser, "args": ["--automation"]}}
        answer = await self.request("POST", "/session", {"capabilities": {"alwaysMatch": caps}})
        self.session = f"/session/{answer['sessionId']}"
        await self.request("POST", f"{self.session}/window/rect", {"width": 1000, "height": 700})

    async def start_xvfb(self):
        """An X server of its own: Xvfb picks a free display number and writes it to a pipe (-displayfd), as
        other tests start theirs at the same time."""
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     pass_fds=[write], start_new_session=True, preexec_fn=die_with_parent)
        os.close(write)
        loop = asyncio.get_running_loop()
        with os.fdopen(read) as pipe:
            number = await asyncio.wait_for(loop.run_in_executor(None, pipe.readline), DEADLINE_SECONDS)
        if not number.strip().isdigit():
            raise RuntimeError("webkit: no X display could be started")
        return int(number)

    async def request(self, method, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        call = urllib.request.Request(self.base + path, data=data, method=method,
                                      headers={"Content-Type": "application/json"})

        def send():
            try:
                with urllib.request.urlopen(call, timeout=DEADLINE_SECONDS) as answer:
                    return json.load(answer)
            except urllib.error.HTTPError as error:
                raise RuntimeError(f"webkit {method} {path}: {error.read().decode(errors='replace')}") from None
        return (await asyncio.get_running_loop().run_in_executor(None, send))["value"]

    async def stop(self):
        if self.session is not None:
            try:
                await asyncio.wait_for(self.request("DELETE", self.session), 10)
            except Exception:
                pass
        for process in (self.process, self.xvfb):
            if process is not None:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    async def open(self, url):
        await self.request("POST", f"{self.session}/url", {"url": url})

    async def evaluate(self, expression):
        # Execute Script awaits a promise the script returns.
        return await self.request("POST", f"{self.session}/execute/sync", {"script": f"return {expression};",
                                                                            "args": []})

    async def mouse(self, steps):
        """Real pointer input: ("move" | "down" | "up", x, y, button) in CSS pixels of the viewport."""
        actions = []
        for kind, x, y, button in steps:
            if kind == "move":
                actions.append({"type": "pointerMove", "x": int(x), "y": int(y), "duration": 0, "origin": "viewport"})
            else:
                actions.append({"type": "pointerDown" if kind == "down" else "pointerUp", "button": button})
        await self.request("POST", f"{self.session}/actions", {"actions": [
            {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": actions}]})

    async def key(self, key, code, text=""):
        value = {"Tab": "\ue004"}.get(key, key)
        await self.request("POST", f"{self.session}/actions", {"actions": [
            {"type": "key", "id": "keyboard",
             "actions": [{"type": "keyDown", "value": value}, {"type": "keyUp", "value": value}]}]})

    async def screenshot(self):
        return decode_png(base64.b64decode(await self.request("GET", f"{self.session}/screenshot")))
