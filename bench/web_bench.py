"""Measures the browser build in headless chromium and prints the figures:
the download (velmora.wasm + velmora.js, and the page's own files; as built
and as their .gz files), the
time from the start of the page's load to its first presented frame, and the
main thread's time per frame on the title and in play.

  /usr/bin/python3 bench/web_bench.py [WEB_BUILD_DIR] [RUNS]     (build/web, 5)

Each run is a fresh browser with a fresh profile. The title and play
measurements alternate inside each run, so both see the same machine load.
A benchmark: it prints, it never fails on a figure.
"""

import os
import statistics
import sys
import time

# The test suites' support package: the same browser driver.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "support"))

from velmora_test import Failure, devtools  # noqa: E402
from velmora_test.waiting import wait_until  # noqa: E402

WINDOW_S = 2.0  # seconds per measured window
ROUNDS = 2      # title / play alternations per run


def main_thread_seconds(browser):
    metrics = browser.call("Performance.getMetrics")["metrics"]
    return {m["name"]: m["value"] for m in metrics}["TaskDuration"]


def per_frame(browser):
    """Main-thread milliseconds per presented frame over one window, and frames per second."""
    def sample():
        return browser.page_state()["frames"], main_thread_seconds(browser), time.monotonic()

    frames0, busy0, t0 = sample()
    time.sleep(WINDOW_S)
    frames1, busy1, t1 = sample()
    count = max(frames1 - frames0, 1)
    return 1000.0 * (busy1 - busy0) / count, count / (t1 - t0)


def one_run(url):
    browser = devtools.Browser()
    try:
        browser.call("Performance.enable")
        browser.open(url)
        if not wait_until(lambda: browser.page_state().get("frames", 0) > 0, 30):
            raise Failure("no frame in 30 s: %s" % browser.page_state())
        first = browser.page_state()["firstFrameMs"]
        title, play = [], []
        for _ in range(ROUNDS):
            title.append(per_frame(browser))
            browser.key("SPACE", True)
            time.sleep(0.1)
            browser.key("SPACE", False)
            time.sleep(0.2)
            play.append(per_frame(browser))
            browser.key("S", True)
            time.sleep(0.1)
            browser.key("S", False)
            time.sleep(0.2)
        return first, title, play
    finally:
        browser.stop()


def summary(values, unit):
    return "median %.2f %s, range %.2f-%.2f (n=%d)" % (statistics.median(values), unit,
                                                     min(values), max(values), len(values))


def main(argv):
    folder = argv[0] if argv else os.path.join("build", "web")
    runs = int(argv[1]) if len(argv) > 1 else 5
    game = ("velmora.wasm", "velmora.js")
    page = ("velmora.html", "velmora-page.js", "velmora-game.js")
    for suffix, what in (("", "download"), (".gz", "download gzip -9 (the build's .gz files)")):
        sizes = {name: os.path.getsize(os.path.join(folder, name + suffix))
                 for name in game + page}
        print("%s: velmora.wasm %d + velmora.js %d = %d bytes; page %s = %d bytes; all %d bytes" %
              (what, sizes["velmora.wasm"], sizes["velmora.js"],
               sizes["velmora.wasm"] + sizes["velmora.js"],
               " + ".join(str(sizes[name]) for name in page), sum(sizes[n] for n in page),
               sum(sizes.values())))
    server = devtools.Server(folder)
    firsts, title_ms, play_ms, title_fps, play_fps = [], [], [], [], []
    try:
        for _ in range(runs):
            first, title, play = one_run(server.url + "velmora.html")
            firsts.append(first)
            title_ms += [t[0] for t in title]
            title_fps += [t[1] for t in title]
            play_ms += [p[0] for p in play]
            play_fps += [p[1] for p in play]
    finally:
        server.stop()
    print("load to first frame: " + summary(firsts, "ms"))
    print("main thread per frame, title: " + summary(title_ms, "ms") +
          "; " + summary(title_fps, "frames/s"))
    print("main thread per frame, play:  " + summary(play_ms, "ms") +
          "; " + summary(play_fps, "frames/s"))
    ratio = statistics.median(play_ms) / statistics.median(title_ms)
    print("play / title per frame: %.2f" % ratio)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
