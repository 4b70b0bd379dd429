#!/usr/bin/python3
"""The request console in headless chromium against the local server.

Starts scripts/serve.sh (quick mode: what the build holds) on a free port in
a fresh run root, opens /console/, logs in as admin, sends "/2001" and checks
that the reply is the camera list and that the simulated core received 3201.
Screenshots go to --out. Exits 77 (skipped) when chromium, its driver or
selenium is missing.
"""
import argparse
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77


def skip(why):
    print("SKIPPED: " + why + " (apt-get install chromium chromium-driver python3-selenium)")
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as EC
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    skip("python3-selenium is not installed")


def find(*names):
    for name in names:
        path = shutil.which(name) or (name if os.path.exists(name) else None)
        if path:
            return path
    return None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_server(source, build, run, port, log):
    env = dict(os.environ, PORT=str(port), NVR_RUN=run, BUILD_DIR=build, NVR_SERVE_QUICK="1")
    server = subprocess.Popen(["bash", os.path.join(source, "scripts/serve.sh")], cwd=source, env=env,
                              stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    deadline = time.time() + 60
    while time.time() < deadline:
        if server.poll() is not None:
            raise RuntimeError("serve.sh ended with %d" % server.returncode)
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d/console/registry.json" % port, timeout=1) as r:
                if r.status == 200:
                    return server
        except OSError:
            pass
        time.sleep(0.2)
    raise RuntimeError("the local server did not come up within 60 s")


def stop_server(server):
    if server.poll() is None:
        server.send_signal(signal.SIGTERM)
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(server.pid, signal.SIGKILL)
            server.wait()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--source", required=True)
    ap.add_argument("--build", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()

    chromium = find("chromium", "chromium-browser")
    driver_path = find("chromedriver", "/usr/bin/chromedriver", "/usr/lib/chromium/chromedriver")
    if not chromium:
        skip("chromium is not installed")
    if not driver_path:
        skip("chromium-driver is not installed")
    if not shutil.which("lighttpd"):
        skip("lighttpd is not installed")

    os.makedirs(args.out, exist_ok=True)
    for old in ("console-2001.png", "console-failure.png"):
        if os.path.exists(os.path.join(args.out, old)):
            os.remove(os.path.join(args.out, old))
    run = tempfile.mkdtemp(prefix="console-run-")
    port = free_port()
    log = open(os.path.join(args.out, "serve.log"), "w")
    server = start_server(args.source, args.build, run, port, log)
    browser = None
    try:
        options = webdriver.ChromeOptions()
        options.binary_location = chromium
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1400,1000"):
            options.add_argument(flag)
        browser = webdriver.Chrome(service=Service(driver_path), options=options)
        wait = WebDriverWait(browser, 30)
        browser.get("http://127.0.0.1:%d/console/" % port)

        # A wrong password is refused and the console stays closed.
        browser.find_element(By.ID, "login-password").send_keys("wrong")
        browser.find_element(By.ID, "login-button").click()
        wait.until(EC.text_to_be_present_in_element((By.ID, "login-result"), "refused"))
        assert not browser.find_element(By.ID, "console-view").is_displayed()

        password = browser.find_element(By.ID, "login-password")
        password.clear()
        password.send_keys("123456")
        browser.find_element(By.ID, "login-button").click()
        wait.until(EC.visibility_of_element_located((By.ID, "console-view")))
        assert "admin" in browser.find_element(By.ID, "who").text

        # The registry is listed by module; the search narrows it to the code.
        wait.until(lambda b: b.find_elements(By.CSS_SELECTOR, '#codes a[data-code="/2001"]'))
        browser.find_element(By.ID, "search").send_keys("/2001")
        wait.until(lambda b: len(b.find_elements(By.CSS_SELECTOR, "#codes a")) == 1)
        browser.find_element(By.CSS_SELECTOR, '#codes a[data-code="/2001"]').click()
        assert browser.find_element(By.ID, "code").get_attribute("value") == "/2001"

        browser.find_element(By.ID, "send").click()
        wait.until(lambda b: b.find_element(By.ID, "reply").get_attribute("data-code") == "/2001")
        wait.until(EC.text_to_be_present_in_element((By.ID, "core-note"), "received"))
        reply = browser.find_element(By.ID, "reply").text
        cameras = json.loads(reply)
        # The camera list: the channels ("IPC") and how many the recorder offers.
        assert isinstance(cameras, dict) and isinstance(cameras.get("IPC"), list) and "maxIPCNums" in cameras, \
            "camera list expected, got: " + reply[:200]
        note = browser.find_element(By.ID, "core-note").text
        assert "3201" in note, note
        ids = [td.text for td in browser.find_elements(By.CSS_SELECTOR, "#core tr.message td:nth-child(4)")]
        assert "3201" in ids, "core messages: %s" % ids
        browser.execute_script("document.getElementById('core').scrollIntoView()")
        browser.save_screenshot(os.path.join(args.out, "console-2001.png"))
        print("console: logged in, /2001 answered %d characters, core received %s" % (len(reply), ids))
    except Exception:
        if browser:
            browser.save_screenshot(os.path.join(args.out, "console-failure.png"))
        raise
    finally:
        if browser:
            browser.quit()
        stop_server(server)
        log.close()
        shutil.rmtree(run, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
