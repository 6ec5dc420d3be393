#!/usr/bin/python3
"""The operator's console in headless Chromium against the simulated test set (docs/console.md).
With RADALT_CONSOLE_SHOTS set to a folder, a screenshot of each screen is saved there as
console-<screen>.png.

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
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select
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
    status, page = http(url, timeout=5)
    check("the page still loads while the streams are open", status == 200 and "console-session" in page)
    for s in streams:
        s.close()


driver = None
try:
    run_script("run.sh")
    console_log = os.path.join(run_dir, "console.log")
    address = lambda: re.search(r"http://127\.0\.0\.1:(\d+)/", open(console_log).read())
    m = address() if wait_for("console", address, 20) else None
    check("make run starts the console on 127.0.0.1 and prints its address", m is not None)
    if not m:
        sys.exit(1)
    url = m.group(0)

    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--disable-quic",
                 "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1100,800", f"--user-data-dir={tempfile.mkdtemp(dir=work)}"):
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.get(url)

    def text(css):
        return driver.find_element(By.CSS_SELECTOR, css).text

    # Controls are by registered name (the key and the master control's instance digit), each on
    # one screen; a value is read whether or not its screen is shown.
    def content(css):
        return driver.execute_script("const e = document.querySelector(arguments[0]); return e ? e.textContent : ''", css)

    def value_of(name):
        return content(f"#attr-{name}1 .value")

    def note_of(name):
        return content(f"#attr-{name}1 .note")

    def screen_of(name):
        return driver.execute_script(
            "return document.getElementById(arguments[0]).closest('[role=tabpanel]').id.replace('screen-', '')",
            f"attr-{name}1")

    def go(screen):
        driver.find_element(By.ID, f"tab-{screen}").click()

    def visible_screen():
        return [e.get_attribute("id") for e in driver.find_elements(By.CSS_SELECTOR, "[role=tabpanel]") if e.is_displayed()]

    # As an operator does: to the control's screen, type, Set.
    def set_field(name, value):
        go(screen_of(name))
        field = driver.find_element(By.CSS_SELECTOR, f"#attr-{name}1 input.edit")
        field.clear()
        field.send_keys(value)
        driver.find_element(By.CSS_SELECTOR, f"#attr-{name}1 .edit button").click()

    check("the page connects and lists the attributes by subsystem",
          wait_for("rows", lambda: value_of("NOOFENABLEDCHANNELS").startswith("3")
                   and "connected" in text("#connection")))
    guards(url)
    screens = [e.get_attribute("data-screen") for e in driver.find_elements(By.CSS_SELECTOR, "#tabs [role=tab]")]
    check("the navigation lists every screen", screens == ["simulation", "rf", "uut", "diagnostics", "calibration",
                                                         "saverecall", "selftest", "channels", "all"])
    reached = []
    for screen in screens:
        go(screen)
        if visible_screen() == [f"screen-{screen}"] and \
                driver.find_element(By.ID, f"tab-{screen}").get_attribute("aria-selected") == "true":
            reached.append(screen)
    check(f"every screen is reached from the first page (reached {reached})", reached == screens)
    check("the raw list holds every attribute", wait_for("all", lambda: len(driver.find_elements(
        By.CSS_SELECTOR, "#all-table tbody tr")) == len(json.loads(http(url + "api/state")[1])["attributes"])))
    go("simulation")
    driver.find_element(By.ID, "tab-simulation").send_keys(Keys.ARROW_DOWN)
    check("the arrow keys move between screens", visible_screen() == ["screen-rf"]
          and driver.switch_to.active_element.get_attribute("id") == "tab-rf")
    check("the controls sit on their screens",
          [screen_of(n) for n in ("SIMULATIONMODE", "CH1OUTPWRLVL", "UUTTYPE", "DIAGMODE", "STARTRXCWCAL",
                                  "CH1SETTINGSNAME", "NOOFENABLEDCHANNELS")]
          == ["simulation", "rf", "uut", "diagnostics", "calibration", "saverecall", "channels"])

    # Controls that fit the value: an enumeration is a drop-down of its own labels, a flag a
    # switch, a number shows its unit and limits, a command is a button.
    go("simulation")
    mode = Select(driver.find_element(By.CSS_SELECTOR, "#attr-SIMULATIONMODE1 select"))
    labels = [o.text for o in mode.options]
    check(f"SIMULATIONMODE is a drop-down of its labels ({labels})", "Manual" in labels and len(labels) > 1)
    other = next(o for o in mode.options if o.text != "Manual")
    mode.select_by_value(other.get_attribute("value"))
    check(f"choosing {other.text} writes it through",
          wait_for("mode", lambda: value_of("SIMULATIONMODE").endswith(f"({other.text})")
                   and note_of("SIMULATIONMODE") == "set"))
    mode.select_by_visible_text("Manual")
    check("and Manual again", wait_for("manual", lambda: value_of("SIMULATIONMODE") == "0 (Manual)"))
    check("RUNSTOPTEST is a switch, a ramp's start altitude shows its unit and limits, a command is a button",
          [len(driver.find_elements(By.CSS_SELECTOR, css)) for css in (
              "#attr-RUNSTOPTEST1 input[type=checkbox]", "#attr-STARTALTINDZERO1 button.command")] == [1, 1]
          and "10000 ft" in content("#attr-CH1CURSTARTALT1 .hint"))

    # A refused choice: explained beside the drop-down it was made in, with its lock shown, and
    # the drop-down back on the value the master control keeps.
    go("uut")
    kind = Select(driver.find_element(By.CSS_SELECTOR, "#attr-UUTTYPE1 select"))
    was = kind.first_selected_option.get_attribute("value")
    kind.select_by_value(next(o.get_attribute("value") for o in kind.options if o.get_attribute("value") != was))
    check("a refused choice is explained beside its drop-down",
          wait_for("uuttype", lambda: "Locked because" in note_of("UUTTYPE")
                   and "held by" in note_of("UUTTYPE")))
    check("the control shows its lock", "locked by" in content("#attr-UUTTYPE1 .lock"))
    check("the drop-down returns to the kept value",
          wait_for("back", lambda: kind.first_selected_option.get_attribute("value") == was))
    check("the refusal is not shown elsewhere", content("#control-note") == "" and
          driver.execute_script("return [...document.querySelectorAll('.note')].filter(n => n.textContent.includes("
                                "'Locked because')).length") == 1)

    # Text from the master control is text: a settings name holding markup stays visible as such.
    set_field("CH1SETTINGSNAME", "<b>x</b>")
    check("a name holding markup is shown as text",
          wait_for("markup", lambda: "<b>x</b>" in value_of("CH1SETTINGSNAME")
                   and "<b>x</b>" in content("#all-CH1SETTINGSNAME1 .value")))
    check("and creates no element", driver.execute_script("return document.querySelectorAll('main b').length") == 0)

    go("selftest")
    driver.find_element(By.ID, "selftest-basic").click()
    check("the basic self test runs and shows its result line",
          wait_for("selftest", lambda: "Basic Self Test" in text("#selftest-lines li")
                   and "passed" in text("#selftest-result"), 60))
    check("the channels screen shows each channel's engine alive",
          [content(f"#channel-{c} td:nth-child(2)") for c in (1, 2, 3)] == ["alive"] * 3)

    set_field("CH1CURALT", "5")
    check("a locked attribute's refusal shows its lock text",
          wait_for("lock", lambda: "Locked because a simulation is not running" in note_of("CH1CURALT")))
    before = value_of("CH1CURSTARTALT")
    set_field("CH1CURSTARTALT", "abc")
    check("a non-number is refused with a clear text", wait_for("nan", lambda: "not a number" in note_of("CH1CURSTARTALT")))
    set_field("CH1CURSTARTALT", "99999999")
    check("a value past the limits shows them",
          wait_for("range", lambda: "maximum 10000" in note_of("CH1CURSTARTALT")))
    check("refused writes change nothing", value_of("CH1CURSTARTALT") == before)

    for name, value in (("CH1CURSTARTALT", "100"), ("CH1CURSTOPALT", "5000"), ("CH1CURALTRATE", "400")):
        set_field(name, value)
        check(f"{name} set to {value}", wait_for(name, lambda: note_of(name) == "set"))
    go("simulation")
    driver.find_element(By.ID, "run").click()
    check("the run starts", wait_for("run", lambda: value_of("RUNSTOPTEST") == "true"))
    check("the plot draws channel 1's altitude as it moves",
          wait_for("plot", lambda: int(driver.find_element(By.ID, "plot").get_attribute("data-points")) >= 5, 40))
    check("the interlock shows the run's held locks",
          wait_for("locks", lambda: len(driver.find_elements(By.CSS_SELECTOR, "#locks tbody tr")) > 0))
    if os.environ.get("RADALT_CONSOLE_SHOTS"):
        for screen in screens:
            go(screen)
            driver.execute_script("window.scrollTo(0, 0)")
            driver.save_screenshot(os.path.join(os.environ["RADALT_CONSOLE_SHOTS"], f"console-{screen}.png"))
        go("simulation")
    # A stop within the run button's settle time is refused; an operator clicks again.
    stopped = False
    for _ in range(6):
        driver.find_element(By.ID, "stop").click()
        if wait_for("stop", lambda: value_of("RUNSTOPTEST") == "false", 8):
            stopped = True
            break
    check("the run stops" + ("" if stopped else f" (note: {text('#control-note')!r})"), stopped)

    os.kill(pid_of("radaltsc-3"), signal.SIGTERM)
    check("a channel disappears when its engine stops",
          wait_for("gone", lambda: value_of("NOOFAVAILABLECHANNELS").startswith("2"), 40))
    check("the channels screen says so and the screens show two channels",
          wait_for("columns", lambda: content("#channel-3 td:nth-child(2)") == "not available"
                   and {(e.get_attribute("data-channel"), e.is_displayed()) for e in driver.find_elements(
                       By.CSS_SELECTOR, "#screen-simulation th[data-channel]")} == {("1", True), ("2", True), ("3", False)}))

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
