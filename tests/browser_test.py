#!/usr/bin/python3
"""The web page in headless Chromium, played as a person plays it.

Types each answer only once the page waits at a prompt, and compares the
dialogue's text with a terminal's view of the same flight: NAME.out of the
transcripts, with each typed line echoed after the prompt that waited for
it. Also checks the chart (one point per elapsed second from 0, touchdown
and verdict), that nothing loads from elsewhere, that the newest line is in
sight, and that the page fits a 360-pixel screen.

  browser_test.py PAGE_DIR TRANSCRIPT_DIR [--screenshot PNG]

Exit status 77 (skipped) without Chromium, its driver or Selenium.
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

# The transcript, and what the player types, line by line.
FLIGHTS = [
    ("two_metres_three_litres", ["2", "3", "9"]),
    ("one_metre_soft_landing", ["1", "100", "3", "5", "8"]),
    ("refusals_at_every_prompt",
     ["0", "20000", "abc", "2", "0", "-5", "xyz", "3", "10", "-1", "q", "9"]),
    ("end_at_rate", ["1300 500", "5 5", END]),
]

# Resolves with the page's state once it waits or has ended, and the
# screen's last 80 characters.
WAIT = """const done = arguments[arguments.length - 1];
const poll = () => {
  const state = document.body.dataset.state;
  if (state !== 'waiting' && state !== 'ended') return setTimeout(poll, 1);
  done([state, document.getElementById('screen').textContent.slice(-80)]);
};
poll();"""

CHART = """const p = document.querySelector('#chart polyline.altitude');
return [p ? p.getAttribute('points').trim().split(/\\s+/).filter(Boolean).length : 0,
        !!document.querySelector('#chart .touchdown'),
        document.getElementById('chart').textContent];"""


def terminal_view(output, typed):
    """Each typed line echoed after the prompt that waited for it: the one
    after all answers typed before were used, one answer per prompt."""
    waits_at, answers = {}, 0
    for line in typed:
        waits_at[answers] = line
        answers += len(line.split()) if line is not END else 0
    view, at = [], 0
    for count, prompt in enumerate(PROMPT.finditer(output)):
        view.append(output[at:prompt.end()])
        at = prompt.end()
        if waits_at.get(count) is not None:
            view.append(waits_at[count] + "\n")
    return "".join(view) + output[at:]


def play(driver, typed):
    answer = driver.find_element(By.ID, "answer")
    for line in typed:
        state, tail = driver.execute_async_script(WAIT)
        if state != "waiting" or not PROMPT.search(tail) or not tail.endswith(" "):
            raise AssertionError(f"no prompt waits for {line!r}: {state}, {tail!r}")
        if line is END:
            ActionChains(driver).key_down(Keys.CONTROL).send_keys("d").key_up(Keys.CONTROL) \
                .perform()
        else:
            answer.send_keys(line + Keys.ENTER)
    if driver.execute_async_script(WAIT)[0] != "ended":
        raise AssertionError("the program still waits after the last answer")
    return driver.execute_script("return document.getElementById('screen').textContent")


def check_chart(driver, name, view, failures):
    if "LM state at landing/impact" not in view:
        return
    flown = int(re.findall(r"Elapsed Time: +(\d+)", view)[-1])
    points, marked, text = driver.execute_script(CHART)
    verdict = re.search(r"Status at landing - (.*)", view).group(1)
    if points != flown + 1 or not marked or verdict not in text:
        failures.append(f"{name}: chart with {points} points for {flown} s, touchdown "
                        f"marked {marked}, verdict shown {verdict in text}")


def run(driver, origin, args, failures):
    driver.get(origin)
    for name, typed in FLIGHTS:
        with open(os.path.join(args.transcripts, name + ".out"), encoding="ascii") as f:
            expected = terminal_view(f.read(), typed)
        shown = play(driver, typed)
        if shown != expected:
            at = next((i for i, (a, b) in enumerate(zip(shown, expected)) if a != b),
                      min(len(shown), len(expected)))
            failures.append(f"{name}: the screen differs at byte {at}:\n"
                            f"  shown    {shown[at - 40:at + 40]!r}\n"
                            f"  expected {expected[at - 40:at + 40]!r}")
        check_chart(driver, name, expected, failures)
        if name == "one_metre_soft_landing" and args.screenshot:
            driver.save_screenshot(args.screenshot)
        driver.find_element(By.ID, "fly-again").click()

    # A long flight: hover at 100 m for 495 s, then fall.
    typed = ["100", str(495 * 5)] + ["5"] * 495
    started = time.monotonic()
    shown = play(driver, typed)
    print(f"{len(typed)} answers played in {time.monotonic() - started:.1f} s")
    check_chart(driver, "long flight", shown, failures)
    if not driver.execute_script("const s = document.getElementById('screen');"
                                 "return s.scrollTop + s.clientHeight >= s.scrollHeight - 1"):
        failures.append("long flight: the newest line is out of sight")
    foreign = driver.execute_script(
        "return performance.getEntriesByType('resource').map(e => e.name)"
        f".filter(n => !n.startsWith('{origin}'))")
    if foreign:
        failures.append(f"the page loaded from elsewhere: {foreign}")
    driver.set_window_size(360, 740)
    width = driver.execute_script("return document.documentElement.scrollWidth")
    if width > 360:
        failures.append(f"the page is {width} px wide on a 360 px screen")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page_dir")
    parser.add_argument("transcripts")
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    if not shutil.which("chromium") or not shutil.which("chromedriver"):
        print("Debian's chromium and chromium-driver are not installed")
        return 77
    handler = functools.partial(QuietHandler, directory=args.page_dir)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    failures = []
    with tempfile.TemporaryDirectory() as profile:
        options = Options()
        options.binary_location = shutil.which("chromium")
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--disable-dev-shm-usage", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-quic",
                     "--no-first-run", "--user-data-dir=" + profile, "--window-size=1280,900"):
            options.add_argument(flag)
        driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
        driver.set_script_timeout(20)
        try:
            run(driver, f"http://127.0.0.1:{server.server_address[1]}/", args, failures)
        finally:
            driver.quit()
            server.shutdown()
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
