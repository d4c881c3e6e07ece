#!/usr/bin/python3
"""The web page in headless Chromium, played as a person would play it.

Serves the built page from 127.0.0.1, types each answer only once the page
waits at a prompt, and compares the text of the dialogue element with what
a terminal would show for the same flight: the program's output, byte for
byte as in tests/transcripts/NAME.out, with each typed line echoed after
the prompt that waited for it. It also checks that the chart has one point
per elapsed second from 0 to the touchdown, that the page loads nothing
from elsewhere, and that it fits a 360-pixel-wide screen.

  browser_test.py PAGE_DIR TRANSCRIPT_DIR [--screenshot PNG]

Exit status 77 (skipped) when Chromium, its driver or Selenium is missing.
"""

import argparse
import functools
import http.server
import os
import re
import shutil
import sys
import tempfile
import threading
import time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    print("python3-selenium is not installed")
    sys.exit(77)

PROMPT = re.compile(r"\(in meters\): |\(in liters\): |9=max thrust\): ")
END = None  # Ctrl+D in place of a line

# name: the transcript, and what the player types, line by line.
FLIGHTS = [
    ("two_metres_three_litres", ["2", "3", "9"]),
    ("one_metre_soft_landing", ["1", "100", "3", "5", "8"]),
    ("refusals_at_every_prompt",
     ["0", "20000", "abc", "2", "0", "-5", "xyz", "3", "10", "-1", "q", "9"]),
    ("end_at_rate", ["1300 500", "5 5", END]),
]


def terminal_view(output, typed):
    """Returns what a terminal shows: each typed line echoed after the prompt
    at which the program waited for it, which is the prompt after all the
    answers typed before were used, one per prompt."""
    view = []
    at = 0
    prompts_seen = 0
    waits_at = {}
    answers = 0
    for line in typed:
        waits_at[answers] = line
        answers += len(line.split()) if line is not END else 0
    for prompt in PROMPT.finditer(output):
        view.append(output[at:prompt.end()])
        at = prompt.end()
        line = waits_at.get(prompts_seen)
        if line is not None and line is not END:
            view.append(line + "\n")
        prompts_seen += 1
    view.append(output[at:])
    return "".join(view)


def serve(directory):
    handler = functools.partial(QuietHandler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def start_browser(profile):
    options = Options()
    options.binary_location = shutil.which("chromium")
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--disable-quic", "--no-first-run",
                 "--user-data-dir=" + profile, "--window-size=1280,900"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)


class Page:
    def __init__(self, driver):
        self.driver = driver

    def script(self, code):
        return self.driver.execute_script(code)

    def screen(self):
        return self.script("return document.getElementById('screen').textContent")

    def waiting_tail(self, seconds=20):
        """Waits in the page until it waits for input or the program has
        ended; returns the state and the screen's last 80 characters."""
        self.driver.set_script_timeout(seconds)
        return self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            const poll = () => {
              const state = document.body.dataset.state;
              if (state === 'waiting' || state === 'ended') {
                done([state, document.getElementById('screen').textContent.slice(-80)]);
              } else {
                setTimeout(poll, 1);
              }
            };
            poll();""")

    def play(self, typed):
        answer = self.driver.find_element(By.ID, "answer")
        for line in typed:
            state, tail = self.waiting_tail()
            if state != "waiting":
                raise AssertionError(f"the program ended before {line!r} was typed")
            if not PROMPT.search(tail) or not tail.endswith(" "):
                raise AssertionError("the page waits without a prompt on the screen")
            if line is END:
                ActionChains(self.driver).key_down(Keys.CONTROL).send_keys("d") \
                    .key_up(Keys.CONTROL).perform()
            else:
                answer.send_keys(line + Keys.ENTER)
        if self.waiting_tail()[0] != "ended":
            raise AssertionError("the program still waits after the last answer")

    def chart_points(self):
        return self.script(
            "const p = document.querySelector('#chart polyline.altitude');"
            "return p ? p.getAttribute('points').trim().split(/\\s+/).filter(Boolean).length : 0")


def check_flight(page, name, typed, transcripts, failures):
    with open(os.path.join(transcripts, name + ".out"), encoding="ascii") as f:
        expected = terminal_view(f.read(), typed)
    page.play(typed)
    shown = page.screen()
    if shown != expected:
        first = next((i for i, (a, b) in enumerate(zip(shown, expected)) if a != b),
                     min(len(shown), len(expected)))
        failures.append(f"{name}: the screen differs from the terminal view at byte {first}:\n"
                        f"  shown    {shown[first - 40:first + 40]!r}\n"
                        f"  expected {expected[first - 40:first + 40]!r}")
    times = [int(t) for t in re.findall(r"Elapsed Time: +(\d+)", expected)]
    if "LM state at landing/impact" in expected:
        points = page.chart_points()
        if points != times[-1] + 1:
            failures.append(f"{name}: {points} chart points for {times[-1]} seconds flown")
        if not page.script("return !!document.querySelector('#chart .touchdown')"):
            failures.append(f"{name}: the touchdown is not marked")
        verdict = re.search(r"Status at landing - (.*)", expected).group(1)
        if verdict not in page.script("return document.getElementById('chart').textContent"):
            failures.append(f"{name}: the chart does not show the verdict")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page_dir")
    parser.add_argument("transcripts")
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    missing = [p for p in ("chromium", "chromedriver") if shutil.which(p) is None]
    if missing:
        print("not installed: " + ", ".join(missing) + " (Debian packages chromium, "
              "chromium-driver)")
        return 77

    server = serve(args.page_dir)
    origin = f"http://127.0.0.1:{server.server_address[1]}/"
    failures = []
    with tempfile.TemporaryDirectory() as profile:
        driver = start_browser(profile)
        try:
            page = Page(driver)
            driver.get(origin)
            for name, typed in FLIGHTS:
                check_flight(page, name, typed, args.transcripts, failures)
                if name == "one_metre_soft_landing" and args.screenshot:
                    driver.save_screenshot(args.screenshot)
                driver.find_element(By.ID, "fly-again").click()

            # A long flight: hover at 100 m for 495 s, then fall.
            typed = ["100", str(495 * 5)] + ["5"] * 495
            started = time.monotonic()
            page.play(typed)
            seconds = time.monotonic() - started
            flown = int(re.findall(r"Elapsed Time: +(\d+)", page.screen())[-1])
            print(f"a {flown}-second flight of {len(typed)} answers played in {seconds:.1f} s")
            if page.chart_points() != flown + 1:
                failures.append(f"long flight: {page.chart_points()} points for {flown} s")
            if not page.script("const s = document.getElementById('screen');"
                               "return s.scrollTop + s.clientHeight >= s.scrollHeight - 1"):
                failures.append("long flight: the newest line is out of sight")

            foreign = page.script(
                "return performance.getEntriesByType('resource').map(e => e.name)"
                f".filter(n => !n.startsWith('{origin}'))")
            if foreign:
                failures.append(f"the page loaded from elsewhere: {foreign}")

            driver.set_window_size(360, 740)
            width = page.script("return document.documentElement.scrollWidth")
            if width > 360:
                failures.append(f"the page is {width} px wide on a 360 px screen")
        finally:
            driver.quit()
            server.shutdown()
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
