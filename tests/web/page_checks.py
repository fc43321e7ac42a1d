"""Checks of the page beyond the session, for browser_test.py: the failure messages, installing the site and
starting it offline, the window on a phone's screen, contrast and axe; and the waits on the page's frames."""
import os
import pathlib

from browsers import until

# Each way a start can fail, as a script run before the page's own, and the words the message must have.
FAILURES = [
    ("delete window.WebAssembly;", "WebAssembly yok", "it has no WebAssembly"),
    ("WebAssembly.validate = () => false;", "WebAssembly SIMD yok", "it has no WebAssembly SIMD"),
    ("delete window.DecompressionStream;", "DecompressionStream yok", "it has no DecompressionStream"),
    ("delete window.PointerEvent;", "Pointer Events yok", "it has no Pointer Events"),
    ("WebAssembly.compile = () => Promise.reject(new WebAssembly.CompileError('bozuk'));",
     "başlarken bir hata oldu (CompileError: bozuk)", "an error stopped it (CompileError: bozuk)"),
]
VERSIONS = "Chrome 91, Edge 91, Firefox 113, Safari 16.4"

READ_FAILURE = """(() => {
  const box = document.getElementById('tirvok3-failure');
  return {shown: !box.hidden && box.getBoundingClientRect().height > 0, text: box.innerText,
          window: getComputedStyle(document.getElementById('tirvok3-window')).display, started: !!window.tirvok3};
})()"""


async def ticks_pass(browser, count=2):
    """Waits until the page has drawn `count` more frames."""
    frames = "window.tirvok3 ? tirvok3.ticks : -1"  # the module starts after the page's load event
    start = max(0, await browser.value(frames))

    async def drawn():
        return await browser.value(frames) >= start + count
    await until(drawn, f"{browser.name}: {count} frames not drawn")


async def places(browser):
    await ticks_pass(browser, 1)
    boxes = await browser.value("Object.fromEntries([...document.querySelectorAll('.control')].map((e) => "
                                "[e.id, [e.getBoundingClientRect().left, e.getBoundingClientRect().top, "
                                "e.getBoundingClientRect().width, e.getBoundingClientRect().height]]))")
    return boxes


async def wait_for(browser, expression, what):
    await until(lambda: browser.value(expression), f"{browser.name}: no {what}")


async def check_failures(chromium, failures, url):
    """Every missing feature and a failed start show a message naming it, in Turkish and English, with the
    versions that work; with JavaScript off the page says it needs it."""
    for script, turkish, english in FAILURES:
        hold = await chromium.call("Page.addScriptToEvaluateOnNewDocument", {"source": script})
        await chromium.open(url)
        await wait_for(chromium, "!document.getElementById('tirvok3-failure').hidden", f"the message for {script}")
        page = await chromium.value(READ_FAILURE)
        await chromium.call("Page.removeScriptToEvaluateOnNewDocument", hold)
        text = page["text"]
        failures.check(page["shown"] and page["window"] == "none" and not page["started"],
                       f"chromium after {script!r}: message shown {page['shown']}, window {page['window']}")
        failures.check(turkish in text and english in text and VERSIONS in text,
                       f"chromium after {script!r}: message {text!r}")
    await chromium.call("Emulation.setScriptExecutionDisabled", {"value": True})
    await chromium.open(url)
    text = await chromium.call("Runtime.evaluate", {"expression": "document.body.innerText", "returnByValue": True})
    await chromium.call("Emulation.setScriptExecutionDisabled", {"value": False})
    shown = text["result"].get("value", "")
    failures.check("JavaScript" in shown and "gerekir" in shown and "needs" in shown,
                   f"chromium without JavaScript shows {shown!r}")


async def check_installs_offline(chromium, failures, url, server):
    """The site installs (no installability error), its service worker takes the page, and once the server
    is gone the page reloads and draws frames."""
    await chromium.open(url)
    await wait_for(chromium, "navigator.serviceWorker.controller !== null", "the service worker's control")
    errors = await chromium.call("Page.getInstallabilityErrors")
    failures.check(errors.get("installabilityErrors") == [], f"chromium: the site does not install: {errors}")
    manifest = await chromium.call("Page.getAppManifest")
    failures.check(not manifest.get("errors"), f"chromium: manifest errors {manifest.get('errors')}")
    server.shutdown()
    server.server_close()
    await chromium.open(url)
    await wait_for(chromium, "window.tirvok3 && tirvok3.ticks > 2", "a frame offline")
    failures.check(await chromium.value("navigator.serviceWorker.controller !== null"),
                   "chromium: the page offline is not the service worker's")


async def check_fits_phone(chromium, failures, url):
    """On a 390 x 844 phone, upright and on its side, and in a small window, the whole window is in view with
    nothing to scroll or zoom, and its size does not follow the readouts' numbers."""
    sizes = set()
    # A phone upright and on its side; a small window at device scale 3, where a scale a tenth smaller than
    # the viewport's (0.67 for 0.70) makes each pane pixel an exact 2 x 2 block of device pixels.
    for width, height in ((390, 844), (844, 390), (500, 400)):
        await chromium.call("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True})
        await chromium.open(url)
        await wait_for(chromium, "window.tirvok3 && tirvok3.ticks > 1", "frames")
        for scene in (None, 64):  # the readouts' numbers change with the scene
            if scene is not None:
                await chromium.value(f"tirvok3.engine.x.tv_bench_scene({scene}) ?? true")
            start = await chromium.value("tirvok3.ticks")
            await wait_for(chromium, f"tirvok3.ticks > {start + 1}", "frames")
            page = await chromium.value("""(() => {
              const box = document.getElementById('tirvok3-window').getBoundingClientRect();
              const view = document.scrollingElement;
              return {box: [box.left, box.top, box.right, box.bottom], width: innerWidth, height: innerHeight,
                      scroll: [view.scrollWidth, view.scrollHeight, view.clientWidth, view.clientHeight],
                      zoom: visualViewport.scale, size: document.getElementById('tirvok3-window').offsetWidth,
                      pane: document.getElementById('EkranXY').getBoundingClientRect().width * devicePixelRatio};
            })()""")
            left, top, right, bottom = page["box"]
            scroll = page["scroll"]
            inside = left >= 0 and top >= 0 and right <= page["width"] + 0.01 and bottom <= page["height"] + 0.01
            filled = right >= page["width"] * 0.9 or bottom >= page["height"] * 0.9  # scaled to fit, no smaller
            failures.check(inside and filled,
                           f"chromium {width}x{height}: window at {page['box']} in {page['width']}x{page['height']}")
            failures.check(scroll[0] <= scroll[2] and scroll[1] <= scroll[3] and page["zoom"] == 1,
                           f"chromium {width}x{height}: scrolls {scroll} or zoomed {page['zoom']}")
            if (width, height) == (500, 400):
                failures.check(abs(page["pane"] - 400) < 0.01, f"chromium {width}x{height}: a pane is {page['pane']}"
                               " device pixels wide, not 2 per pane pixel")
            sizes.add(page["size"])
    await chromium.call("Emulation.clearDeviceMetricsOverride")
    failures.check(len(sizes) == 1, f"chromium: the window's width follows the readouts: {sorted(sizes)}")


def contrast(a, b):
    """WCAG contrast ratio of two (r, g, b) colours."""
    def luminance(c):
        linear = [v / 255 / 12.92 if v / 255 <= 0.03928 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in c]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


async def check_contrast(browser, failures, label):
    """On screenshots: a tool's caption up, down, focused and both, and a readout, at least 4.5:1 against the
    commonest colour of its box (the text is the pixel that stands out most: a fully inked stem)."""
    boxes = await places(browser)
    lowest = {}
    for state, tool, focused in (("up", 0, False), ("down", 1, False), ("focused", 0, True),
                                 ("down and focused", 1, True)):
        await browser.value(f"tirvok3.showTool({tool}) || document.getElementById('BKamera')"
                            f".{'focus' if focused else 'blur'}() || true")
        _, _, rows = await browser.screenshot()
        for name, inset in (("BKamera", (6, 5)), ("Label1", (0, 0)))[:2 if state == "up" else 1]:
            left, top, width, height = (round(v) for v in boxes[name])
            pixels = [rows[y][x] for y in range(top + inset[1], top + height - inset[1])
                      for x in range(left + inset[0], left + width - inset[0])]
            background = max(set(pixels), key=pixels.count)
            ratio = max(contrast(p, background) for p in set(pixels))
            failures.check(ratio >= 4.5, f"{label}: {name} with the tool {state} has contrast {ratio:.2f}")
            lowest[f"{name} {state}"] = round(ratio, 2)
    return lowest


async def check_axe(browser, failures, label):
    """axe-core over the page as it stands, every rule it runs by default (WCAG A and AA and best practice):
    no violation. The script's path is in TIRVOK3_AXE (`make test-web` installs it with npm)."""
    source = pathlib.Path(os.environ["TIRVOK3_AXE"]).read_text()
    await browser.evaluate(source)
    found = await browser.value("axe.run(document).then((r) => r.violations.map((v) => "
                                "[v.id, v.impact, v.nodes.map((n) => n.target.join(' ')).join(', ')]))")
    failures.check(found == [], f"{label}: axe finds {found}")
    return len(await browser.value("axe.getRules().map((r) => r.ruleId)"))
