#!/usr/bin/python3
"""The web window in headless Chromium: starts kelvora-window, loads the page,
types the circle's worked example into its boxes key by key, presses GCode Gen
and Save program, and compares the saved program with the golden byte for byte.
With --screenshots DIR it also saves a picture of a few tabs.

Usage: browser_test.py KELVORA_WINDOW GOLDEN [--screenshots DIR]
Needs Debian's chromium, chromium-driver and python3-selenium; fails without them.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

# The circle's worked example, by box (settings/settings_keys.cpp names them).
CIRCLE = [("txtXc", "30"), ("txtYc", "30"), ("txtR", "20"), ("txtn", "2"), ("txtStartAngle", "0"),
          ("txtdepth", "5"), ("txtpassdepth", "5"), ("txtDrillFeedrate", "100"),
          ("txtDrillZretract", "3"), ("txtZsafe", "10"), ("txtSpindleSpeed", "5000")]


def start_window(exe, work):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    proc = subprocess.Popen([exe, "--no-browser"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True, env=env)
    line = proc.stdout.readline()
    m = re.search(r"(http://127\.0\.0\.1:\d+/\?token=[0-9a-f]{32})", line)
    if not m:
        proc.kill()
        raise SystemExit("kelvora-window printed no address: %r %s" % (line, proc.stderr.read()))
    return proc, m.group(1)


def browser(work, downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for a in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--window-size=1280,800", "--user-data-dir=" + os.path.join(work, "profile")]:
        options.add_argument(a)
    options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                              "download.prompt_for_download": False})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def idle(driver):
    driver.execute_async_script("const done = arguments[0]; window.kelvoraIdle().then(done);")


def control(driver, name):
    return driver.find_element(By.CSS_SELECTOR, '[data-name="%s"]' % name)


def show_tab(driver, page):
    driver.execute_script(
        "document.querySelector('.strip button[data-page=\"%s\"]').click()" % page)
    idle(driver)


def answer(driver, label):
    driver.find_element(By.CSS_SELECTOR, '[data-answer="%s"]' % label).click()
    idle(driver)


def long_list(driver, work):
    """Opens a list of 450 points through the page's file chooser and pages
    through it: the grid shows one window of rows and the pager moves it."""
    failures = []
    path = os.path.join(work, "long.csv")
    with open(path, "w") as f:
        f.write("Name,X,Y\n" + "".join("P%d,%d,1\n" % (i, i) for i in range(450)))
    show_tab(driver, "tabPage1")
    show_tab(driver, "tabPage7")
    control(driver, "btnAnyLoadFile").click()
    idle(driver)
    answer(driver, "Yes")  # "Clear data?"
    driver.find_element(By.CSS_SELECTOR, 'input[type="file"]').send_keys(path)
    answer(driver, "Open")
    grid = control(driver, "dataGridView1")
    pager = grid.find_element(By.CLASS_NAME, "more")
    if "rows 1\u2013200 of 450" not in pager.text:
        failures.append("the long list's pager reads %r" % pager.text)
    pager.find_element(By.TAG_NAME, "button").click()  # the next window
    idle(driver)
    grid = control(driver, "dataGridView1")
    first = grid.find_elements(By.CSS_SELECTOR, "tr")[1].find_elements(By.TAG_NAME, "td")
    if len(first) < 2 or first[1].text != "P200":
        failures.append("the second window starts with %r" % [c.text for c in first])
    return failures


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    exe, golden = sys.argv[1], sys.argv[2]
    shots = sys.argv[4] if len(sys.argv) > 4 and sys.argv[3] == "--screenshots" else None
    failures = []
    with tempfile.TemporaryDirectory() as work:
        downloads = os.path.join(work, "downloads")
        os.makedirs(downloads)
        proc, address = start_window(exe, work)
        driver = browser(work, downloads)
        try:
            driver.get(address)
            driver.execute_async_script(
                "const done = arguments[0];"
                "(function wait(){ window.kelvoraIdle ? window.kelvoraIdle().then(done)"
                " : setTimeout(wait, 50); })();")
            show_tab(driver, "tabPage5")
            # A letter is refused by the box's key filter, as in the native window.
            box = control(driver, "txtR")
            box.click()
            box.send_keys(Keys.END, "x")
            idle(driver)
            if "x" in box.get_attribute("value"):
                failures.append("the key filter let a letter into txtR")
            for name, value in CIRCLE:
                box = control(driver, name)
                box.click()
                box.send_keys(Keys.CONTROL, "a")
                box.send_keys(value)
                idle(driver)
                if box.get_attribute("value") != value:
                    failures.append("%s shows %r, typed %r" % (name, box.get_attribute("value"), value))
            spin = control(driver, "chkbCirEnSpin")
            if not spin.find_element(By.TAG_NAME, "input").is_selected():
                spin.click()
                idle(driver)
            control(driver, "btnKhoanTronPreview").click()
            control(driver, "btnDrillGcodeGen").click()
            idle(driver)
            save = control(driver, "btnDrillLoadGcode")
            # "Save program" in Vietnamese, the window's start-up language.
            if save.text != "L\u01b0u ch\u01b0\u01a1ng tr\u00ecnh":
                failures.append("the Load button reads %r" % save.text)
            save.click()
            idle(driver)
            target = os.path.join(downloads, "circle.nc")
            for _ in range(100):
                if os.path.exists(target):
                    break
                time.sleep(0.1)
            if not os.path.exists(target):
                failures.append("no circle.nc was downloaded: %s" % os.listdir(downloads))
            else:
                with open(target, "rb") as f, open(golden, "rb") as g:
                    if f.read() != g.read():
                        failures.append("circle.nc differs from the golden")
            if shots:
                os.makedirs(shots, exist_ok=True)
                time.sleep(0.5)
                driver.save_screenshot(os.path.join(shots, "web-circle.png"))
            failures += long_list(driver, work)
            if shots:
                for page, name in [("tabPage6", "web-grid.png"), ("tabPage7", "web-points.png"),
                                   ("tabPage4", "web-router.png")]:
                    show_tab(driver, page)
                    time.sleep(0.3)
                    driver.save_screenshot(os.path.join(shots, name))
            driver.find_element(By.ID, "close").click()
            proc.wait(timeout=10)
            if proc.returncode != 0:
                failures.append("kelvora-window ended with %d: %s" % (proc.returncode, proc.stderr.read()))
            profile = os.path.join(work, "config", "kelvora", "profile.xml")
            if not os.path.exists(profile) or "<CirR>20</CirR>" not in open(profile).read():
                failures.append("the profile was not written with the typed radius")
        finally:
            driver.quit()
            if proc.poll() is None:
                proc.kill()
    for f in failures:
        print("FAIL:", f)
    print("browser test: %s" % ("failed" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
