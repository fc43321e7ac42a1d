#!/usr/bin/python3
"""What Orca says about the program, on a headless desktop (see screen_reader.py):

    dbus-run-session -- screen_reader_test.py qt TIRVOK3          the Qt program
    dbus-run-session -- screen_reader_test.py page TIRVOK3.html   the page in Chromium

Each session focuses a tool, reviews a readout and makes an edit with the mouse (the camera tool down, a
click at pane pixel (150, 50) of the top view: the camera to 50, 50, 0), then checks what was spoken:
the tool's name, role and state, the readout's measure and value, and the edit announced exactly once.
Every utterance is printed at the end."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screen_reader import Desktop, wait_for  # noqa: E402

XY_PANE = (220, 18)  # the top view's place in the window (or page)
EDIT_AT = (150, 50)  # its pane pixel where the camera goes: world 50, 50
EDIT_SAID = "Kamera 50, 50, 0"
# A push button's role as AT-SPI names it: "push button" up to at-spi2 2.46 (Debian 12), "button" after.
BUTTON = r"(?:push )?button"


class Failures(list):
    def check(self, ok, what):
        if not ok:
            self.append(what)
            print(f"FAIL {what}", flush=True)


def press(desktop, key, said, what):
    """Presses `key` and waits for the first utterance matching `said` that it causes; returns it."""
    keys = desktop.keys_seen()
    desktop.xdotool("key", key)
    # Only what Orca said after it saw the key: nothing said earlier but logged late counts.
    return wait_for(lambda: next((s for s in desktop.spoken(after=keys + 1) if re.search(said, s)), None), what)


def press_until(desktop, key, said, pattern, what, tries=12):
    """Presses `key` until what it causes (the first utterance matching `said`) matches `pattern`."""
    for _ in range(tries):
        got = press(desktop, key, said, f"{what}: speech after {key}")
        if re.search(pattern, got):
            return got
    raise AssertionError(f"{what}: {tries} presses of {key} never said /{pattern}/")


def said_after(spoken, pattern):
    """What was said right after the last utterance matching `pattern` whole, once both have been said."""
    hits = [i for i, s in enumerate(spoken) if re.fullmatch(pattern, s)]
    return spoken[hits[-1] + 1] if hits and hits[-1] + 1 < len(spoken) else None


def edit_and_count(desktop, failures, click, then_key, label):
    """The mouse edit, its announcement, then one more key so that a repeat would be heard before it."""
    desktop.say_after(click, re.escape(EDIT_SAID), f"{label}: announcement of the edit")
    before = len(desktop.spoken())
    desktop.xdotool("key", then_key)
    wait_for(lambda: len(desktop.spoken()) > before, f"speech after {then_key}")
    said = sum(EDIT_SAID in s for s in desktop.spoken())
    failures.check(said == 1, f"{label}: the edit announced {said} times")


def application(app_name):
    """The program as AT-SPI gives it to any reader; None until it is registered."""
    import pyatspi
    return next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == app_name), None)


def find(app_name, found):
    """The program's first object for which `found(object, pyatspi)` holds."""
    import pyatspi
    app = application(app_name)
    return app and pyatspi.findDescendant(app, lambda o: found(o, pyatspi))


def focused(app_name):
    """The name of the program's object that has the focus."""
    hit = find(app_name, lambda o, atspi: o.getState().contains(atspi.STATE_FOCUSED))
    return hit.name if hit else None


def focus_tool(desktop, name, what):
    """Tabs until the tool `name` has the focus, as AT-SPI says; returns what Orca said after its name and
    role on that Tab: the tooltip and state. Orca's "where am I" (keypad Enter) would be surer, but when
    Orca answers Qt's bridge later than its 100 ms, as on a loaded machine, the key reaches the program
    as well, as Return, and clicks the tool."""
    for _ in range(12):
        keys = desktop.keys_seen()
        press(desktop, "Tab", rf"{BUTTON}|image", f"{what}: speech after Tab")
        if focused("Tirvok3") == name:
            return wait_for(lambda: said_after(desktop.spoken(after=keys + 1), rf"{name} {BUTTON}\."),
                            f"{what}: the tool's tooltip and state")
    raise AssertionError(f"{what}: 12 presses of Tab never focused {name}")


def qt_session(desktop, failures, binary):
    desktop.start([binary])
    # Keys go to the window once it is the active one.
    def active_window():
        xdotool = lambda *args: subprocess.run(["xdotool", *args], env=desktop.env, capture_output=True,  # noqa
                                               text=True).stdout.strip()
        window = xdotool("getactivewindow")
        return window if window and xdotool("getwindowname", window) == "Tirvok 3" else None
    window = wait_for(lambda: subprocess.run(["xdotool", "search", "--name", "^Tirvok 3$"], env=desktop.env,
                                             capture_output=True, text=True).stdout.split(), "the window")[-1]
    def activated():  # openbox now and then leaves a new window inactive: ask again until it is active
        active = active_window()
        if active is None:
            subprocess.run(["xdotool", "windowactivate", window], env=desktop.env, capture_output=True)
        return active
    window = wait_for(activated, "the window active")
    # Qt's AT-SPI bridge (6.4) has no toggle-button role: the state follows the tooltip, in Turkish.
    # A control's focus is said in two: name and role, then tooltip and state, or the view's description.
    control = rf"{BUTTON}|basılı|image"
    said = focus_tool(desktop, "Kamera", "focus on a tool")
    failures.check(said == "Kamera ekle, basılı değil.", f"qt: the raised tool said {said!r}")
    keys = desktop.keys_seen()
    desktop.xdotool("key", "space")
    kamera = wait_for(lambda: find("Tirvok3", lambda o, atspi: o.name == "Kamera" and
                                   o.getState().contains(atspi.STATE_CHECKED)), "the tool going down")
    failures.check(kamera.description == "Kamera ekle, basılı", f"qt: the tool down says {kamera.description!r}")
    press(desktop, "shift+Tab", control, "focus off the tool")
    said = focus_tool(desktop, "Kamera", "focus back on the tool")
    # Orca 43 (Debian 12) says the new state when the tool is focused again; Orca 48 (Debian 13) says it as
    # it changes, and on focus again the state it had cached.
    heard = [s for s in desktop.spoken(after=keys + 1) if re.fullmatch(r"Kamera ekle, basılı\.?", s)]
    failures.check(heard, f"qt: the tool down was not said, only {said!r} on focus again")
    # Flat review, line by line (keypad 9 with num lock off).
    line = press_until(desktop, "KP_Page_Up", r".", r"Kamera x", "review of the readouts")
    failures.check(re.search(r"\bKamera x, 0 Orijin sx, 100\b", line), f"qt: the first readout line said {line!r}")
    edit_and_count(desktop, failures, lambda: desktop.xdotool(
        "mousemove", "--window", window, str(XY_PANE[0] + EDIT_AT[0]), str(XY_PANE[1] + EDIT_AT[1]), "click", "1"),
        "Tab", "qt")
    # The window and the tool as AT-SPI gives them to any reader (Orca may miss the window's first
    # activation, which comes before Qt knows who listens, so the window's role is read here).
    import pyatspi
    frame = application("Tirvok3")[0]
    # Qt 6.8 (Debian 13) gives the window the filler role.
    failures.check(frame.getRoleName() in ("frame", "filler") and frame.name == "Tirvok 3",
                   f"qt: the window is {frame.getRoleName()} {frame.name!r}")
    down = [kamera.getState().contains(state) for state in (pyatspi.STATE_CHECKED, pyatspi.STATE_PRESSED)]
    failures.check(re.fullmatch(BUTTON, kamera.getRoleName()) and down == [True, True],
                   f"qt: Kamera, down, is a {kamera.getRoleName()}, checked and pressed {down}")


def page_session(desktop, failures, page):
    profile = os.path.join(desktop.path, "chromium")
    # Kiosk: the page fills the screen, so its CSS pixels are the screen's.
    desktop.say_after(lambda: desktop.start([
        "chromium", "--no-sandbox", "--force-renderer-accessibility", "--kiosk", "--no-first-run",
        "--no-default-browser-check", "--disable-gpu", "--disable-features=Translate", f"--user-data-dir={profile}", "file://" + os.path.abspath(page)]),
        r"Finished loading Tirvok 3", "the page loaded")
    # The focus may already be on a tool, said before the keys or not: to the last tool, then back.
    press_until(desktop, "Tab", r"button|image", r"^Son Prizmayı Düzenle toggle button", "focus on the last tool")
    press_until(desktop, "shift+Tab", r"button|image", r"^Kamera toggle button not pressed", "focus on a tool")
    desktop.say_after(lambda: desktop.xdotool("key", "space"), r"^pressed", "the tool going down")
    # Browse mode, line by line.
    # Browse mode from the page's end, line by line upwards (the views between would take the arrows).
    press(desktop, "ctrl+End", r".", "the page's end")
    line = press_until(desktop, "Up", r"^(?!leaving |entering )", r"Kamera x", "reading up to the readouts", 30)
    failures.check(re.search(r"\bKamera x, 0\b", line), f"page: the first readout line said {line!r}")
    edit_and_count(desktop, failures, lambda: desktop.xdotool(
        "mousemove", str(XY_PANE[0] + EDIT_AT[0]), str(XY_PANE[1] + EDIT_AT[1]), "click", "1"), "Tab", "page")


def main(kind, target):
    failures = Failures()
    with Desktop() as desktop:
        try:
            (qt_session if kind == "qt" else page_session)(desktop, failures, target)
        except (AssertionError, TimeoutError) as e:
            failures.check(False, str(e))
        finally:
            print("Orca said:\n  " + "\n  ".join(desktop.spoken()))
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("qt", "page"):
        raise SystemExit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
