"""Chromium driven by Selenium, a loopback web server and axe-core: what the
web catalogue's test and its benchmark share. For Debian's /usr/bin/python3,
which has python3-selenium."""

import contextlib
import os
import re
import shutil
import subprocess
import sys

SKIP = 77  # ctest's SKIP_RETURN_CODE


def chromium(width=1200, height=900):
    """Headless Chromium; a missing package is a failure that names it."""
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        sys.exit("python3-selenium manque (scripts/install-deps.sh l'installe)")
    for program in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
        if not os.path.exists(program):
            sys.exit(program + " manque (scripts/install-deps.sh installe chromium et "
                     "chromium-driver)")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--disable-gpu", "--hide-scrollbars",
                     "--no-first-run", "--window-size=%d,%d" % (width, height)):
        options.add_argument(argument)
    if os.geteuid() == 0:
        options.add_argument("--no-sandbox")
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


@contextlib.contextmanager
def served(folder):
    """python3 -m http.server on 127.0.0.1 and a free port, stopped by its
    process id; yields the folder's address, ending in "/"."""
    server = subprocess.Popen(
        [sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1",
         "--directory", str(folder), "0"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        line = server.stdout.readline()
        port = re.search(r"port (\d+)", line)
        if not port:
            raise RuntimeError("the web server did not start: " + line)
        yield "http://127.0.0.1:%s/" % port.group(1)
    finally:
        server.terminate()
        server.wait(10)


def axe_source(build_dir):
    """axe.min.js, installed from the npm registry into the build tree the
    first time; None when npm is not there."""
    prefix = os.path.join(build_dir, "node")
    script = os.path.join(prefix, "node_modules", "axe-core", "axe.min.js")
    if not os.path.exists(script):
        npm = shutil.which("npm")
        if not npm:
            return None
        subprocess.run([npm, "install", "--silent", "--no-audit", "--no-fund",
                        "--prefix", prefix, "axe-core@4"], check=True)
    with open(script, encoding="utf-8") as f:
        return f.read()


def axe_in_every_page(driver, source):
    """axe-core defined in every page loaded from now on."""
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": source})


def axe_violations(driver):
    """The violations of impact serious or critical on the page shown."""
    result = driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document, {resultTypes: ['violations']}).then(r => done(r.violations.map(v => "
        "[v.id, v.impact, v.nodes.map(n => n.target.join(' ')).slice(0, 3)])));")
    return [v for v in result if v[1] in ("serious", "critical")]
