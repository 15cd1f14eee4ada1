#!/usr/bin/python3
"""The page of `glintag serve` in a real browser: headless Chromium types a
text, the dot preview changes, Send puts the exact bytes of `glintag send
--output` on a real pseudo-terminal, and the console stays free of errors.

Usage: page_test.py GLINTAG [--shots FOLDER]
With --shots it also saves the page at phone and desk width in each of the
five languages, for a person to look at. Exits 77 (skipped) without Chromium.
"""
import os
import pty
import re
import select
import shutil
import subprocess
import sys
import tempfile

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("python3-selenium is not installed", file=sys.stderr)
    sys.exit(77)

GLINTAG = sys.argv[1]
SHOTS = sys.argv[sys.argv.index("--shots") + 1] if "--shots" in sys.argv else None
LIMIT = 30  # seconds any one wait may take before the test fails
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)


class Badge:
    """A pseudo-terminal whose far end the test reads."""

    def __init__(self):
        # The far end stays open here too, so the master never reads as
        # hung up between the program's opens.
        self.master, self.slave = pty.openpty()
        self.path = os.ttyname(self.slave)

    def read(self, count):
        got = b""
        while len(got) < count:
            ready, _, _ = select.select([self.master], [], [], LIMIT)
            if not ready:
                break
            try:
                got += os.read(self.master, 4096)
            except OSError:
                break
        return got


def serve(home, badge, *args):
    env = dict(os.environ, HOME=home)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(name, None)
    process = subprocess.Popen([GLINTAG, "serve", "--listen", "127.0.0.1:0", "--port", badge.path, *args],
                               env=env, stderr=subprocess.PIPE)
    line = b""
    while b"\n" not in line:
        ready, _, _ = select.select([process.stderr], [], [], LIMIT)
        if not ready:
            break
        chunk = os.read(process.stderr.fileno(), 4096)
        if not chunk:
            break
        line += chunk
    found = re.search(rb"listening on http://127\.0\.0\.1:(\d+)/", line)
    if not found:
        process.kill()
        raise SystemExit("serve did not start: " + line.decode(errors="replace"))
    return process, int(found.group(1))


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile, "--window-size=1280,900"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                            options=options)


def wait(driver, condition, what):
    try:
        return WebDriverWait(driver, LIMIT, poll_frequency=0.05).until(lambda d: condition(d))
    except Exception:
        check(False, "never happened: " + what)
        return None


def preview_turn(driver):
    return driver.execute_script("const i = document.getElementById('dots');"
                                 "return i.dataset.turn ? [Number(i.dataset.turn), i.naturalWidth] : null;")


def main():
    if not shutil.which("chromium") or not shutil.which("chromedriver"):
        print("chromium or chromedriver is not installed", file=sys.stderr)
        return 77
    with tempfile.TemporaryDirectory() as home, tempfile.TemporaryDirectory() as profile:
        reference = os.path.join(home, "reference.bin")
        subprocess.run([GLINTAG, "send", "--output", reference, "HELLO PHONE"],
                       env=dict(os.environ, HOME=home), check=True)
        with open(reference, "rb") as f:
            expected = f.read()
        badge = Badge()
        process, port = serve(home, badge, "START")
        driver = browser(profile)
        try:
            driver.get("http://127.0.0.1:%d/" % port)
            wait(driver, lambda d: d.find_elements(By.NAME, "text1"), "the slots are shown")
            before = wait(driver, preview_turn, "the first preview")
            box = driver.find_element(By.NAME, "text1")
            box.clear()
            box.send_keys("HELLO PHONE")
            after = wait(driver, lambda d: (t := preview_turn(d)) and t[0] > before[0] and t[1] != before[1] and t,
                         "the preview follows the text")
            check(before is not None and after is not None and after[1] > before[1],
                  "the preview grew with the longer text")
            driver.find_element(By.ID, "send").click()
            got = badge.read(len(expected))
            check(got == expected, "the pseudo-terminal got the bytes of send --output (%d of %d bytes, %s)"
                  % (len(got), len(expected), "same" if got == expected else "different"))
            wait(driver, lambda d: d.find_elements(By.CSS_SELECTOR, "#results li[data-result=sent]"),
                 "the page shows the port's result")
            errors = [entry for entry in driver.get_log("browser") if entry["level"] in ("SEVERE", "WARNING")]
            check(not errors, "no console errors: %s" % errors)
            if SHOTS:
                os.makedirs(SHOTS, exist_ok=True)
                for width, height, name in ((390, 844, "phone"), (1280, 900, "desk")):
                    driver.set_window_size(width, height)
                    driver.save_screenshot(os.path.join(SHOTS, "page-en-%s.png" % name))
        finally:
            driver.quit()
            process.terminate()
            process.wait(LIMIT)
        check(process.returncode == 143, "serve ended by SIGTERM with 143, not %s" % process.returncode)

        # With a token the page asks for it once, then works as before.
        token_file = os.path.join(home, "token")
        with open(token_file, "w") as f:
            f.write("page-token-91c\n")
        badge = Badge()
        process, port = serve(home, badge, "--token", token_file, "START")
        driver = browser(profile)
        try:
            driver.get("http://127.0.0.1:%d/" % port)
            asked = wait(driver, lambda d: d.switch_to.alert, "the page asks for the token")
            if asked:
                asked.send_keys("page-token-91c")
                asked.accept()
            wait(driver, preview_turn, "the preview with the token")
            box = driver.find_element(By.NAME, "text1")
            box.clear()
            box.send_keys("HELLO PHONE")
            wait(driver, lambda d: (t := preview_turn(d)) and t[1] > 0 and d.find_element(By.NAME, "text1")
                 .get_attribute("value") == "HELLO PHONE" and t, "the preview with the token follows the text")
            driver.find_element(By.ID, "send").click()
            got = badge.read(len(expected))
            check(got == expected, "with the token the pseudo-terminal got the bytes of send --output")
            # The one refused call before the token was given is the only
            # complaint.
            errors = [e for e in driver.get_log("browser")
                      if e["level"] in ("SEVERE", "WARNING") and "401" not in e["message"]]
            check(not errors, "no console errors with the token: %s" % errors)
        finally:
            driver.quit()
            process.terminate()
            process.wait(LIMIT)

        if SHOTS:
            # The other languages, each with texts of its own script.
            for language, texts in (("ja", ("こんにちは", "ようこそ")), ("ko", ("안녕하세요", "환영")),
                                    ("zh-CN", ("你好", "欢迎")), ("zh-TW", ("你好", "歡迎"))):
                badge = Badge()
                process, port = serve(home, badge, "--language", language, *texts)
                driver = browser(profile)
                try:
                    driver.get("http://127.0.0.1:%d/" % port)
                    wait(driver, preview_turn, "the %s page's preview" % language)
                    for width, height, name in ((390, 844, "phone"), (1280, 900, "desk")):
                        driver.set_window_size(width, height)
                        driver.save_screenshot(os.path.join(SHOTS, "page-%s-%s.png" % (language, name)))
                    errors = [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]
                    check(not errors, "no console errors in %s: %s" % (language, errors))
                finally:
                    driver.quit()
                    process.terminate()
                    process.wait(LIMIT)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
