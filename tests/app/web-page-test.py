#!/usr/bin/python3
"""The web port's page in a real browser (Debian's chromium, headless, driven
through chromedriver): it loads / from the headless program fed by its
console, a spot typed on the console must appear in the table within 2 s,
and the band buttons must filter. With a folder given, it saves the page at
desktop and at phone size there (web-page.png, web-page-phone.png).

    web-page-test.py SPOTWEAVER [SCREENSHOT_FOLDER]

Exits 77 (skipped) when chromium, chromedriver or selenium is missing."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIP)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def section(kind, name, kind_keys, router):
    return ("PortType=%s\nBufferSize=32000\nKeepAlive=0\nScriptSteps=0\nAutoReConnect=0\n"
            "AutoTime=60\nPortName=%s\nIsTNCPort=0\nStreamSW=|\nPortStreamID=A\n%s%s"
            % (kind, name, kind_keys, router))


OPTIONS = "BlockDashAtOption=0\nStripAtPoundOption=0\nOnlyPassSkimmerCQOption=0\n"

SPOTS = [
    "DX de DL1ABC:    14025.0  VP8LP        CW 24 dB 22 WPM CQ             {t}Z",
    "DX de K1XYZ:      7005.5  ZL7G         599 in Maine                   {t}Z",
    "DX de JA1QRP:    21074.0  3Y0J         FT8 -12dB                      {t}Z",
    "DX de VE3AAA:     3523.0  FT8WW        big signal                     {t}Z",
    "DX de G4ABC:     14195.0  K1ABC        SSB 59 up 5                    {t}Z",
]


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
    chromedriver = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    if not shutil.which("chromium"):
        skip("chromium is not installed")
    if not os.path.exists(chromedriver):
        skip("chromedriver (chromium-driver) is not installed")
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support.ui import WebDriverWait
    except ImportError:
        skip("python3-selenium is not installed")

    port = free_port()
    folder = tempfile.mkdtemp(prefix="web-page-test-")
    setup = "NumberOfPorts=2\nFontSize=20\nFontWeight=400\nFontFace=Courier New\n"
    setup += section("CON", "CON", "", "InputType=1\nMyCall=G4ABC\nAntiLoopPrefix= <\n"
                     "DupeLength=0\nCRLFOption=3\n" + OPTIONS)
    setup += section("WEB", "WEB", "HostName=127.0.0.1\nPortNumber=%d\n" % port,
                     "InputType=10\nDupeLength=100\nCRLFOption=2\n" + OPTIONS)
    setup += "Trace=0\nPort=2\nPort=0\nTrace=0\nPort=0\nPort=0\n"
    with open(os.path.join(folder, "setup.ini"), "w") as f:
        f.write(setup)
    log = open(os.path.join(folder, "stderr.txt"), "w")
    child = subprocess.Popen([program, "--headless", "setup.ini", "/START"], cwd=folder,
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=log)
    driver = None
    try:
        deadline = time.time() + 20
        while True:
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                break
            except OSError:
                if time.time() > deadline or child.poll() is not None:
                    print("FAIL: the web port did not listen")
                    return 1
                time.sleep(0.05)

        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium")
        for arg in ("--headless=new", "--no-sandbox", "--disable-gpu",
                    "--disable-dev-shm-usage", "--window-size=1200,900"):
            options.add_argument(arg)
        driver = webdriver.Chrome(service=Service(chromedriver), options=options)
        driver.get("http://127.0.0.1:%d/" % port)
        WebDriverWait(driver, 10).until(
            lambda d: d.find_element(By.ID, "state").text == "live")

        def type_spot(line):
            child.stdin.write((line.format(t=time.strftime("%H%M", time.gmtime())) + "\r\n")
                              .encode())
            child.stdin.flush()

        def table():
            return driver.find_element(By.ID, "spots").text

        start = time.time()
        type_spot(SPOTS[0])
        WebDriverWait(driver, 2, poll_frequency=0.02).until(lambda d: "VP8LP" in table())
        print("typed spot shown after %.0f ms" % ((time.time() - start) * 1000))

        for line in SPOTS[1:]:
            type_spot(line)
        WebDriverWait(driver, 5).until(lambda d: "K1ABC" in table())

        def press(bar, value):
            driver.find_element(
                By.CSS_SELECTOR, '#%s button[data-value="%s"]' % (bar, value)).click()

        press("bands", "20m")
        shown = table()
        if "VP8LP" not in shown or "K1ABC" not in shown or "ZL7G" in shown or "3Y0J" in shown:
            print("FAIL: the 20m button shows:\n" + shown)
            return 1
        press("bands", "40m")
        shown = table()
        if "ZL7G" not in shown or "VP8LP" in shown:
            print("FAIL: the 40m button shows:\n" + shown)
            return 1
        press("bands", "All")
        if len(driver.find_elements(By.CSS_SELECTOR, "#spots tr")) != len(SPOTS):
            print("FAIL: All does not show every spot:\n" + table())
            return 1
        print("band buttons filter")

        WebDriverWait(driver, 5).until(
            lambda d: "spots passed" in d.find_element(By.ID, "ports").text)
        if shots:
            time.sleep(1.6)  # the highlight of the newest rows fades
            driver.save_screenshot(os.path.join(shots, "web-page.png"))
        # On a phone the port windows' lines wrap and overflow; each window
        # must still show its newest lines, as a terminal does, after the
        # list is drawn again (every 2 s).
        driver.set_window_size(390, 844)
        time.sleep(2.5)
        overflowing, newest = driver.execute_script(
            "const all = [...document.querySelectorAll('#ports pre')]"
            ".filter(p => p.scrollHeight > p.clientHeight + 4);"
            "return [all.length, all.filter(p => "
            "p.scrollTop + p.clientHeight >= p.scrollHeight - 4).length];")
        if overflowing == 0 or newest != overflowing:
            print("FAIL: %d of %d overflowing port windows show their newest lines"
                  % (newest, overflowing))
            return 1
        print("port windows show their newest lines")
        if shots:
            driver.save_screenshot(os.path.join(shots, "web-page-phone.png"))
            print("saved web-page.png and web-page-phone.png in " + shots)
        return 0
    finally:
        if driver is not None:
            driver.quit()
        child.terminate()
        try:
            child.wait(10)
        except subprocess.TimeoutExpired:
            child.kill()
        log.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
