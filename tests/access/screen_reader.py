"""A headless desktop with a screen reader: Xvfb, openbox, the AT-SPI bus, speech-dispatcher with
espeak-ng (sound to libao's null driver) and Orca, whose debug file holds every utterance as
`SPEECH OUTPUT: '...'`. Run inside `dbus-run-session`; everything started is stopped on exit."""
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

KEY_PRESSED = "vvvvv PROCESS ATSPI_KEY_PRESSED_EVENT"
DEADLINE = 60
LINE_BUFFERED_ORCA = """
import builtins, runpy, sys
plain_open = builtins.open
def open_line_buffered(file, mode="r", *args, **kwargs):
    if mode == "w" and not args and not kwargs:
        return plain_open(file, mode, buffering=1, encoding="utf-8")
    return plain_open(file, mode, *args, **kwargs)
builtins.open = open_line_buffered
sys.argv[0] = "/usr/bin/orca"
runpy.run_path("/usr/bin/orca", run_name="__main__")
"""  # seconds for any one thing to appear


def wait_for(condition, what, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while True:
        got = condition()
        if got:
            return got
        if time.monotonic() > end:
            raise TimeoutError(f"no {what} within {deadline} s")
        time.sleep(0.05)


class Desktop:
    def __enter__(self):
        self.dir = tempfile.TemporaryDirectory(prefix="tirvok3-reader-")
        self.path = self.dir.name
        self.processes = []
        self.log = os.path.join(self.path, "orca.log")
        runtime = os.path.join(self.path, "run")
        os.makedirs(runtime, mode=0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime, HOME=self.path, LANG="C.UTF-8",
                        XDG_CONFIG_HOME=os.path.join(self.path, "config"), NO_AT_BRIDGE="0",
                        GTK_MODULES="", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        read, write = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                   pass_fds=(write,))
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise RuntimeError("Xvfb gave no display")
            number += chunk
        os.close(read)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.start(["openbox", "--sm-disable"])
        self._wait_for_window_manager()
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_for(lambda: subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                         "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.env,
                                        capture_output=True).returncode == 0, "AT-SPI bus")
        conf = os.path.join(self.path, "speechd")
        os.makedirs(os.path.join(conf, "modules"))
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write('AudioOutputMethod "libao"\nAddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                    f'DefaultModule espeak-ng\nLogDir "{conf}"\nLogLevel 1\n')
        open(os.path.join(conf, "modules", "espeak-ng.conf"), "w").close()
        self.start(["speech-dispatcher", "-s", "-t", "0", "-C", conf])
        # No key echo (what is said is what the program and Orca's review tell),
        settings = os.path.join(self.path, "orca")
        os.makedirs(settings)
        # and no reading of a whole page as it loads.
        quiet = {"profile": ["Default", "default"], "enableKeyEcho": False, "sayAllOnLoad": False,
                 "pageSummaryOnLoad": False}
        with open(os.path.join(settings, "user-settings.conf"), "w") as f:
            json.dump({"general": quiet, "profiles": {"default": quiet}, "pronunciations": {}, "keybindings": {}}, f)
        # Orca writes its debug file in blocks; opened line-buffered, each utterance is there when said.
        self.start(["/usr/bin/python3", "-c", LINE_BUFFERED_ORCA, "--replace", "-u", settings,
                    f"--debug-file={self.log}"])
        wait_for(lambda: self.spoken(), "first utterance of Orca")

    def _wait_for_window_manager(self):
        """openbox counts as up once it manages a window of ours, a small xmessage started anew every few
        seconds: starting up (on a fresh or loaded machine) it can lose a map request it already got."""
        title = "window manager probe"
        end = time.monotonic() + DEADLINE
        while time.monotonic() < end:
            probe = subprocess.Popen(["xmessage", "-title", title, title], env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                again = time.monotonic() + 5
                while time.monotonic() < min(again, end):
                    listed = subprocess.run(["wmctrl", "-l"], env=self.env, capture_output=True, text=True).stdout
                    if title in listed:
                        return
                    time.sleep(0.05)
            finally:
                probe.kill()
                probe.wait()
        raise TimeoutError(f"openbox managed no window within {DEADLINE} s")

    def start(self, command, **kwargs):
        p = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             **kwargs)
        self.processes.append(p)
        return p

    def __exit__(self, *exc):
        keep = os.environ.get("TIRVOK3_ORCA_LOG")  # where Orca's whole debug output is kept, if anywhere
        if keep and os.path.exists(self.log):
            shutil.copyfile(self.log, keep)
        for p in reversed(self.processes):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        self.dir.cleanup()

    def read_log(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def spoken(self, after=0):
        """Every utterance so far, in order; `after`: only those after that many key presses reached Orca."""
        text = self.read_log()
        at = 0
        for _ in range(after):
            at = text.find(KEY_PRESSED, at)
            if at < 0:
                return []
            at += len(KEY_PRESSED)
        return re.findall(r"SPEECH OUTPUT: '(.*)'\s*[\[{]", text[at:])

    def keys_seen(self):
        return self.read_log().count(KEY_PRESSED)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def say_after(self, action, pattern, what):
        """Does `action`, then waits for an utterance matching `pattern`; returns it."""
        before = len(self.spoken())
        action()
        return wait_for(lambda: next((s for s in self.spoken()[before:] if re.search(pattern, s)), None), what)
