#!/usr/bin/python3
"""Frame time of the page in headless Chromium, Firefox ESR and WebKitGTK beside the native engine's, from
one run, and the page's start-up to its first frame:

    bench/web_bench.py PAGE.html NATIVE_BENCH [PRISMS]

NATIVE_BENCH is the Linux build's bench/tirvok3_bench; both draw the same canonical scene of PRISMS
prisms (2048 unless given). The frame ratio is the page's frame (tv_frame: draw, compare, readouts) over
the native BM_Frame, timed just before and just after that browser: of the medians, and of the best round
and repetition, which a machine shared with other work disturbs least. The whole tick moves the
camera between two places first, so every pane changes and is put on its canvas, as during a drag. Not a
test: it prints what it measured.
"""
import asyncio
import json
import os
import pathlib
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from browsers import Chromium, Firefox  # noqa: E402
from webkit import WebKit  # noqa: E402

LOADS = 5  # page loads timed per browser
ROUNDS = 15
FRAMES = 100  # frames per round

# Per round, ms per frame: the engine's frame of the still scene, and the page's whole tick with the camera
# moved before it (frame, every pane put on its canvas, readouts).
TIME_FRAMES = """(async () => {
  const x = tirvok3.engine.x;
  x.tv_bench_scene(%d);
  // Past the compilers' tiering up: Chromium optimises hot functions in the background.
  let step = 0;
  const moved = () => { x.tv_bench_step(++step); tirvok3.frame(); };
  for (let i = 0; i < 500; ++i) moved();
  await new Promise((done) => setTimeout(done, 1000));
  const rounds = (step) => Array.from({length: %d}, () => {
    const start = performance.now();
    for (let i = 0; i < %d; ++i) step();
    return (performance.now() - start) / %d;
  });
  const tick = rounds(moved);
  x.tv_bench_step(0);
  x.tv_frame();
  const frame = rounds(() => x.tv_frame());
  // FNV-1a over the panes as 0x00RRGGBB words, as the native benchmark's digest counter.
  let digest = 2166136261;
  for (let pane = 0; pane < 4; ++pane) {
    const bytes = new Uint8Array(x.memory.buffer, x.tv_pane_rgba(pane), x.tv_pane_size() ** 2 * 4);
    for (let i = 0; i < bytes.length; i += 4) {
      digest = Math.imul(digest ^ ((bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2]), 16777619) >>> 0;
    }
  }
  return {frame, tick, digest};
})()"""


def native_ms(program, prisms):
    """The native frame: median and best of 15 short repetitions (as short as a browser round) in ms, and
    the digest of its panes."""
    out = subprocess.run([program, f"--benchmark_filter=^BM_Frame/{prisms}$", "--benchmark_format=json",
                          "--benchmark_repetitions=15", "--benchmark_min_time=0.05"],
                         check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    if not runs:
        raise SystemExit(f"{program} has no BM_Frame/{prisms}")
    times = [b["real_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0}[b["time_unit"]] for b in runs]
    return statistics.median(times), min(times), int(runs[0]["digest"])


async def browser_ms(browser_type, url, prisms):
    async with browser_type([]) as browser:
        starts = []
        for _ in range(LOADS):
            await browser.open(url)
            while await browser.value("window.tirvok3 ? tirvok3.ticks : 0") < 1:
                await asyncio.sleep(0.02)
            starts.append(await browser.value("tirvok3.firstFrameMs"))
        times = await browser.value(TIME_FRAMES % (prisms, ROUNDS, FRAMES, FRAMES))
        return starts, times


async def main(page, native, prisms):
    url = page.resolve().as_uri()
    print(f"{page.name}: {page.stat().st_size} bytes; one frame of {prisms} prisms in ms (median and best round),"
          " the digest of its panes:")
    before = native_ms(native, prisms)
    print(f"  {'native':9} {before[0]:.2f} ms, best {before[1]:.2f} ms, digest {before[2]:08x}")
    for browser_type in (Chromium, Firefox, WebKit):
        starts, times = await browser_ms(browser_type, url, prisms)
        after = native_ms(native, prisms)
        frame, best = statistics.median(times["frame"]), min(times["frame"])
        ratio = frame / ((before[0] + after[0]) / 2)
        best_ratio = best / min(before[1], after[1])
        same = "the native frame's" if times["digest"] == before[2] == after[2] else "NOT the native frame's"
        print(f"  {browser_type.name:9} {frame:.2f} ms, best {best:.2f} ms = {ratio:.2f} x native"
              f" (best {best_ratio:.2f} x), digest {times['digest']:08x} ({same});"
              f" whole tick {statistics.median(times['tick']):.2f} ms;"
              f" first frame {statistics.median(starts):.0f} ms after navigation (median of {LOADS} loads,"
              f" {min(starts):.0f}-{max(starts):.0f})")
        print(f"  {'native':9} {after[0]:.2f} ms, best {after[1]:.2f} ms, digest {after[2]:08x}")
        before = after


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    asyncio.run(main(pathlib.Path(sys.argv[1]), sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 2048))
