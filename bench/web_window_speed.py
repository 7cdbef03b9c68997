#!/usr/bin/python3
"""How fast the web window answers: the server's own round trip for one event
(a keep-alive connection, as the page uses) and, in headless Chromium, the time
from a keystroke in a box to the page drawn again.

Usage: bench/web_window_speed.py KELVORA_WINDOW   (the release build's)
Needs Debian's chromium, chromium-driver and python3-selenium.
"""
import http.client
import os
import re
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser_test  # noqa: E402

ROUNDS = 40

# Keystrokes typed into the circle's radius box by the page's own input
# handler, each awaited until the page has drawn the models' answer.
IN_PAGE = """const done = arguments[0];
(async () => {
  const box = document.querySelector('[data-name="txtR"]');
  const times = [];
  for (let i = 0; i < %d; i++) {
    const t = performance.now();
    box.dispatchEvent(new InputEvent('beforeinput',
        {inputType: 'insertText', data: '5', bubbles: true, cancelable: true}));
    await window.kelvoraIdle();
    times.push(performance.now() - t);
  }
  done(times);
})();""" % ROUNDS


def server_round_trips(exe, work):
    proc, url = browser_test.start_window(exe, work)
    try:
        port, token = re.search(r":(\d+)/\?token=([0-9a-f]+)", url).groups()
        conn = http.client.HTTPConnection("127.0.0.1", int(port))
        headers = {"Content-Type": "application/json", "Cookie": "kelvora_token=" + token,
                   "Origin": "http://127.0.0.1:" + port}
        times, size = [], 0
        for _ in range(ROUNDS):
            t = time.perf_counter()
            conn.request("POST", "/event", body='{"type":"state"}', headers=headers)
            size = len(conn.getresponse().read())
            times.append((time.perf_counter() - t) * 1000)
        return times, size
    finally:
        proc.kill()


def page_round_trips(exe, work):
    proc, url = browser_test.start_window(exe, work)
    driver = browser_test.browser(work, os.path.join(work, "downloads"))
    try:
        driver.get(url)
        browser_test.idle(driver)
        return driver.execute_async_script(IN_PAGE)
    finally:
        driver.quit()
        proc.kill()


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    exe = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as work:
        server, size = server_round_trips(exe, os.path.join(work, "a"))
        page = page_round_trips(exe, os.path.join(work, "b"))
    print("state of %d bytes, %d rounds each" % (size, ROUNDS))
    for name, times in (("server round trip", server), ("keystroke to page drawn", page)):
        print("%-24s median %6.1f ms   max %6.1f ms" % (name, statistics.median(times), max(times)))
    print("load average: %s" % " ".join(open("/proc/loadavg").read().split()[:3]))


if __name__ == "__main__":
    main()
