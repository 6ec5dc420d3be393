#!/usr/bin/python3
"""The operator's console in headless Chromium against the simulated test set: a ramp run
drawn in the plot, a refusal with its lock text beside the field, bad input, a channel that
goes away, and a master control that restarts.

    console_browser_test.py BUILD_DIR NS_PORT DDS_DOMAIN WORK_DIR
Exits 77 (skipped) when Chromium, its driver or Selenium is not installed.
"""
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

SKIP = 77
build, port, domain, work = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
top = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:
    print("SKIP: python3-selenium is not installed (scripts/install-deps.sh test installs it)")
    sys.exit(SKIP)
for tool in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
    if not os.path.exists(tool):
        print(f"SKIP: {tool} is not installed (scripts/install-deps.sh test installs it)")
        sys.exit(SKIP)

shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
run_dir = os.path.join(work, "run")
env = dict(os.environ, RUN_DIR=run_dir, RADALT_NS_PORT=port, RADALT_DDS_DOMAIN=domain, BUILD=build, RADALT_DEMO="0",
           RADALT_CONSOLE_PORT="0")
failures = []


def check(what, ok):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def wait_for(what, condition, seconds=30.0):
    end = time.time() + seconds
    while time.time() < end:
        try:
            if condition():
                return True
        except Exception:
            pass
        time.sleep(0.2)
    return False


def pid_of(name):
    with open(os.path.join(run_dir, name + ".pid")) as f:
        return int(f.read().strip())


def run_script(name):
    subprocess.run(["bash", os.path.join(top, "scripts", name)], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, timeout=240)


def http(url, data=None, headers=None, timeout=10):
    """(status, body) of a GET, or of a POST of the form fields data."""
    body = urllib.parse.urlencode(data).encode() if data is not None else None
    req = urllib.request.Request(url, data=body, headers=headers or {})
    try:
        with urllib.request.urlopen(req, timeout=timeout) as res:
            return res.status, res.read().decode()
    except urllib.error.HTTPError as e:
        return e.code, e.read().decode()


def guards(url):
    """Writes from another origin or without the page's session token are refused and change
    nothing; event streams are bounded, and the page loads with 40 of them asked for."""
    enabled = lambda: json.loads(http(url + "api/state")[1])["attributes"]
    before = [a["value"] for a in enabled() if a["name"] == "NOOFENABLEDCHANNELS1"]
    status, _ = http(url + "api/set", {"name": "NOOFENABLEDCHANNELS", "value": "1"},
                     {"Origin": "http://evil.example"})
    check("a cross-origin write is refused with 403", status == 403)
    status, _ = http(url + "api/set", {"name": "NOOFENABLEDCHANNELS", "value": "1"})
    check("a write without the page's session token is refused with 403", status == 403)
    check("and nothing changed", [a["value"] for a in enabled() if a["name"] == "NOOFENABLEDCHANNELS1"] == before)
    host, port = urllib.parse.urlparse(url).netloc.split(":")
    streams = []
    for _ in range(40):
        s = socket.create_connection((host, int(port)), timeout=5)
        s.sendall(f"GET /api/events HTTP/1.1\r\nHost: {host}:{port}\r\n\r\n".encode())
        streams.append(s)
    answers = []
    for s in streams:
        try:
            answers.append(s.recv(64).decode(errors="replace").split("\r\n")[0])
        except OSError as e:
            answers.append(str(e))
    refused = sum(1 for a in answers if " 503 " in a)
    check(f"of 40 event streams asked for, those past the bound are refused ({refused} refused)", refused >= 16)
    t = time.time()
    status, page = http(url, timeout=5)
    took = time.time() - t
    print(f"     GET / with 40 streams asked for: {took * 1000:.0f} ms")
    check("the page still loads while the streams are open", status == 200 and "console-session" in page)
    for s in streams:
        s.close()


driver = None
try:
    run_script("run.sh")
    # make run's script starts the console and says where it serves.
    console_log = os.path.join(run_dir, "console.log")
    m = None
    if wait_for("console", lambda: re.search(r"http://127\.0\.0\.1:(\d+)/", open(console_log).read()), 20):
        m = re.search(r"http://127\.0\.0\.1:(\d+)/", open(console_log).read())
    check("make run starts the console on 127.0.0.1 and prints its address", m is not None)
    if not m:
        sys.exit(1)
    url = m.group(0)

    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--disable-quic",
                 "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1280,1400", f"--user-data-dir={tempfile.mkdtemp(dir=work)}"):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.get(url)

    def text(css):
        return driver.find_element(By.CSS_SELECTOR, css).text

    # Rows are by registered name: the key and the master control's instance digit.
    def value_of(name):
        return text(f"#attr-{name}1 td.value")

    def set_field(name, value):
        driver.execute_script(f"document.querySelector('#attr-{name}1 input').value = arguments[0]", value)
        driver.find_element(By.CSS_SELECTOR, f"#attr-{name}1 button").click()

    def note_of(name):
        return text(f"#attr-{name}1 td.note")

    check("the page connects and lists the attributes by subsystem",
          wait_for("rows", lambda: value_of("NOOFENABLEDCHANNELS").startswith("3")
                   and "connected" in text("#connection")))
    guards(url)
    groups = [e.get_attribute("data-group") for e in driver.find_elements(By.CSS_SELECTOR, "table.group")]
    check("channels and altitude simulation groups are shown", "Channels" in groups and "Altitude simulation" in groups)

    # A refused write: the lock's reason and message beside the field.
    set_field("CH1CURALT", "5")
    check("a locked attribute's refusal shows its lock text",
          wait_for("lock", lambda: "Locked because a simulation is not running" in note_of("CH1CURALT")))
    # Bad input: a non-number, a value past the limits; nothing changes.
    before = value_of("CH1CURSTARTALT")
    set_field("CH1CURSTARTALT", "abc")
    check("a non-number is refused with a clear text", wait_for("nan", lambda: "not a number" in note_of("CH1CURSTARTALT")))
    set_field("CH1CURSTARTALT", "99999999")
    check("a value past the limits shows them",
          wait_for("range", lambda: "maximum 10000" in note_of("CH1CURSTARTALT")))
    check("refused writes change nothing", value_of("CH1CURSTARTALT") == before)

    # A ramp run, drawn in the plot.
    for name, value in (("CH1CURSTARTALT", "100"), ("CH1CURSTOPALT", "5000"), ("CH1CURALTRATE", "400")):
        set_field(name, value)
        check(f"{name} set to {value}", wait_for(name, lambda: note_of(name) == "set"))
    driver.find_element(By.ID, "run").click()
    check("the run starts", wait_for("run", lambda: value_of("RUNSTOPTEST") == "true"))
    check("the plot draws channel 1's altitude as it moves",
          wait_for("plot", lambda: int(driver.find_element(By.ID, "plot").get_attribute("data-points")) >= 5, 40))
    check("the interlock shows the run's held locks",
          wait_for("locks", lambda: len(driver.find_elements(By.CSS_SELECTOR, "#locks tbody tr")) > 0))
    shot = os.path.join(work, "console.png")
    driver.save_screenshot(shot)
    if os.environ.get("RADALT_CONSOLE_SCREENSHOT"):
        shutil.copy(shot, os.environ["RADALT_CONSOLE_SCREENSHOT"])
    # A stop within the run button's settle time is refused; an operator clicks again.
    stopped = False
    for _ in range(6):
        driver.find_element(By.ID, "stop").click()
        if wait_for("stop", lambda: value_of("RUNSTOPTEST") == "false", 8):
            stopped = True
            break
    check("the run stops" + ("" if stopped else f" (note: {text('#control-note')!r})"), stopped)

    # A channel engine that stops: the page follows the counts.
    os.kill(pid_of("radaltsc-3"), signal.SIGTERM)
    check("a channel disappears when its engine stops",
          wait_for("gone", lambda: value_of("NOOFAVAILABLECHANNELS").startswith("2"), 40))

    # The master control restarts: the page says so and comes back by itself (the console
    # keeps running: make run's script starts only what is not running).
    host = pid_of("enginehost")
    os.kill(host, signal.SIGTERM)
    check("the page says the master control is unreachable",
          wait_for("down", lambda: "unreachable" in text("#connection"), 30))
    wait_for("host gone", lambda: not os.path.exists(f"/proc/{host}"), 15)
    run_script("run.sh")
    check("the page reconnects after the restart",
          wait_for("up", lambda: "reconnected" in text("#connection") and value_of("NOOFENABLEDCHANNELS") != "", 60))
finally:
    if driver:
        driver.quit()
    subprocess.run(["bash", os.path.join(top, "scripts", "stop.sh")], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.STDOUT)

print(f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
