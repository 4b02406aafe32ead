#!/usr/bin/env python3
"""The screen of the emulated TV in a real browser.

Runs `brelta-device screen` on a temporary device root and drives Debian's headless Chromium
over its DevTools protocol (on a pipe, so nothing but the Python standard library is needed):
the remote's buttons, a toast pressed on the page, the gateway's FAIL popup under a fault
script, a setting edited on the page, the server's refusals, and how long a written file takes
to show on the page.

usage: screen_test.py BIN_DIR [SCREENSHOT_DIR]
"""
import base64
import http.client
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

CHROMIUM = os.environ.get("CHROMIUM", "/usr/bin/chromium")
IDS = "brelta.keycombination."


class Browser:
    """Headless Chromium, spoken to over --remote-debugging-pipe (fds 3 and 4)."""

    def __init__(self, profile):
        to_browser, self.out = os.pipe()
        self.inp, from_browser = os.pipe()
        # Out of the way of fds 3 and 4, which the child gets them as.
        high = [os.dup2(fd, 10 + i) for i, fd in enumerate((to_browser, from_browser))]

        def child_fds():
            os.dup2(high[0], 3)
            os.dup2(high[1], 4)

        self.proc = subprocess.Popen(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
             "--no-first-run", "--disable-background-networking", "--disable-component-update",
             "--disable-sync", "--remote-debugging-pipe", f"--user-data-dir={profile}",
             "about:blank"],
            pass_fds=(3, 4), preexec_fn=child_fds,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for fd in (to_browser, from_browser, *high):
            os.close(fd)
        self.next_id = 0
        self.buffer = b""
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        self.call("Emulation.setDeviceMetricsOverride", session=True, width=1440, height=900,
                  deviceScaleFactor=1, mobile=False)

    def call(self, method, session=False, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        os.write(self.out, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.inp, 1 << 16)
                if not chunk:
                    raise RuntimeError("the browser went away")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer["result"]

    def js(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression,
                           returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait(self, expression, what, seconds=15):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            value = self.js(expression)
            if value:
                return value
            time.sleep(0.05)
        status = self.js("document.querySelector('#status')?.textContent")
        raise AssertionError(f"the page never showed {what} (its status line: {status!r})")

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", session=True, format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Screen:
    """`brelta-device screen` on a device root of its own."""

    def __init__(self, bin_dir, root):
        self.proc = subprocess.Popen(
            [os.path.join(bin_dir, "brelta-device"), "screen", "--root", root],
            stdout=subprocess.PIPE, text=True)
        for line in self.proc.stdout:
            if "?token=" in line:
                self.url = line.strip()
                break
        else:
            raise AssertionError("brelta-device screen printed no address")
        self.host = self.url.split("/")[2]
        self.token = self.url.split("token=")[1]

    def request(self, method, path, body=None, headers=()):
        connection = http.client.HTTPConnection(self.host, timeout=10)
        headers = {"Content-Type": "application/json", **dict(headers)}
        connection.request(method, path, body=body, headers=headers)
        response = connection.getresponse()
        return response.status, response.read().decode()

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        try:
            return self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return "no end on SIGTERM"


def check_refusals(screen, root):
    """Only the page of this server, with its token, gets anywhere; and only nine ids run."""
    press = json.dumps({"id": IDS + "gateway"})
    token = f"?token={screen.token}"
    rows = [
        # what, method, path, body, headers, status
        ("no token", "GET", "/", None, {}, 403),
        ("no token on a press", "POST", "/api/press", press, {}, 403),
        ("a wrong token", "GET", "/events?token=" + "0" * 32, None, {}, 403),
        ("a foreign origin", "POST", "/api/press" + token, press,
         {"Origin": "http://example.com"}, 403),
        ("a foreign host name", "GET", "/" + token, None, {"Host": "attacker.example"}, 403),
        ("an id outside the nine", "POST", "/api/press" + token,
         json.dumps({"id": IDS + "shell"}), {}, 400),
        ("a form post", "POST", "/api/press" + token, press, {"Content-Type": "text/plain"}, 415),
        ("a large body", "POST", "/api/setting" + token, "x" * 5000, {}, 413),
    ]
    got = [(what, screen.request(method, path, body, headers)[0])
           for what, method, path, body, headers, _ in rows]
    assert got == [(row[0], row[-1]) for row in rows], got
    assert not os.path.exists(os.path.join(root, "log")), "a refused press ran the tool"


def check_hostile_root(bin_dir, work):
    """A root of traps: FIFOs where the log and the launch journal belong, a 3 GiB log, links
    in the settings tree back to / and to itself. The screen still starts and streams."""
    root = os.path.join(work, "hostile")
    for path in ("log", "apps", "settings/a"):
        os.makedirs(os.path.join(root, path))
    os.mkfifo(os.path.join(root, "log", "main"))
    os.mkfifo(os.path.join(root, "apps", "launches"))
    record = "2026-12-05T13:46:45.123Z 42 I/TAG: the last record"
    with open(os.path.join(root, "log", "system"), "w") as f:
        f.truncate(3 << 30)
        f.seek(3 << 30)
        f.write(f"\n{record}\n")
    os.symlink("/", os.path.join(root, "settings", "a", "slash"))
    os.symlink("..", os.path.join(root, "settings", "a", "up"))
    screen = Screen(bin_dir, root)
    try:
        stream = http.client.HTTPConnection(screen.host, timeout=10)
        stream.request("GET", f"/events?token={screen.token}")
        events = stream.getresponse()
        text = b""
        while b"event: log" not in text and (chunk := events.read1(1 << 16)):
            text += chunk
        stream.close()
        assert record.encode() in text, text[-300:]
    finally:
        assert screen.stop() == 0


def measure_latency(browser, screen, root, writes=20):
    """Milliseconds from a setting written (renamed into place) to its value on the page, and
    to its event from the server (read here, without the browser)."""
    browser.js("""window.shown = {};
        new MutationObserver(() => {
          for (const cell of document.querySelectorAll('#settings td:nth-child(3)'))
            if (!(cell.textContent in window.shown)) window.shown[cell.textContent] = Date.now();
        }).observe(document.querySelector('#settings'), {childList: true, subtree: true});""")
    stream = http.client.HTTPConnection(screen.host, timeout=30)
    stream.request("GET", f"/events?token={screen.token}")
    events = stream.getresponse()
    sent = {}

    def read_events():
        while len(sent) < writes and (chunk := events.read1(1 << 16)):
            now = time.time() * 1000
            for i in range(writes):
                if f'"probe-{i}"'.encode() in chunk:
                    sent.setdefault(f"probe-{i}", now)

    reader = threading.Thread(target=read_events, daemon=True)
    reader.start()
    key = os.path.join(root, "settings", "latency")
    written = {}
    for i in range(writes):
        value = f"probe-{i}"
        with open(key + ".new", "w") as f:
            f.write(f"string {value}\n")
        written[value] = time.time() * 1000
        os.rename(key + ".new", key)
        browser.wait(f"window.shown['{value}']", value)
        time.sleep(0.05)
    reader.join(10)
    stream.close()
    shown = browser.js("window.shown")
    return [sorted(seen[v] - t for v, t in written.items()) for seen in (shown, sent)]


def main():
    if not os.access(CHROMIUM, os.X_OK):
        sys.exit(f"no browser at {CHROMIUM}: ./test installs Debian's chromium")
    bin_dir = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "screenshots")
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="brelta-screen-")
    root = os.path.join(work, "root")
    os.mkdir(root)
    screen = Screen(bin_dir, root)
    browser = Browser(os.path.join(work, "profile"))
    try:
        check_refusals(screen, root)
        check_hostile_root(bin_dir, work)
        browser.call("Page.navigate", session=True, url=screen.url)
        browser.wait("document.querySelectorAll('#keys button').length", "the remote")
        keys = browser.js("[...document.querySelectorAll('#keys button')].map(b => b.dataset.id)")
        with open(os.path.join(os.path.dirname(__file__), "..", "..", "test-tool", "command-ids")) as f:
            table = [line.split()[0] for line in f if line.strip() and not line.startswith("#")]
        assert sorted(keys) == sorted(table), keys

        # The remote starts a capture; its toast is pressed on the page.
        browser.js(f"document.querySelector('[data-id=\"{IDS}tcpdumpstart\"]').click()")
        toast = browser.wait("""(() => { const t = document.querySelector('.toast');
            return t && [t.dataset.id, t.querySelector('.title').textContent,
                         t.querySelector('button.default').textContent]; })()""", "the toast")
        assert toast[1:] == ["TCP Dump tool", "OK"], toast
        browser.wait("document.querySelector('#runs li').textContent.includes('exits in')",
                     "the run's exit delay")
        browser.screenshot(os.path.join(shots, "screen-toast.png"))
        browser.js("document.querySelector('.toast button[data-button=\"1\"]').click()")
        browser.wait("!document.querySelector('.toast')", "the toast leave")
        with open(os.path.join(root, "notifications", "journal")) as f:
            events = [json.loads(line) for line in f if '"event"' in line]
        assert [(e["id"], e["event"]) for e in events] == [(int(toast[0]), 0)], events

        # A fault script set on the page makes the gateway check fail: the red popup.
        browser.js("""(() => { const f = document.querySelector('#fault-form');
            f.function.value = 'connection_profile_check_default_gateway';
            f.values.value = '-1'; f.requestSubmit(); })()""")
        browser.wait("!!document.querySelector('#faults li')", "the fault script")
        browser.js(f"document.querySelector('[data-id=\"{IDS}gateway\"]').click()")
        popup = browser.wait("""(() => { const p = document.querySelector('#popup');
            return !p.hidden && [p.querySelector('.alert-text').textContent,
                                 getComputedStyle(p.querySelector('.alert-text')).color]; })()""",
                             "the alert popup")
        assert popup == ["NETWORK TEST : FAIL", "rgb(255, 0, 0)"], popup
        browser.wait("document.querySelector('.alert-time').textContent.startsWith('closes in')",
                     "the popup's count-down")
        browser.screenshot(os.path.join(shots, "screen-popup.png"))

        # A setting edited on the page is written to the store.
        browser.js("""(() => { const f = document.querySelector('#setting-form');
            f.key.value = 'db/menu_widget/language'; f.type.value = 'string';
            f.value.value = 'de_DE.UTF-8'; f.requestSubmit(); })()""")
        language = os.path.join(root, "settings", "db", "menu_widget", "language")
        deadline = time.monotonic() + 10
        while not os.path.exists(language) and time.monotonic() < deadline:
            time.sleep(0.05)
        with open(language) as f:
            assert f.read() == "string de_DE.UTF-8\n"

        on_page, from_server = measure_latency(browser, screen, root)
        browser.wait("""[...document.querySelectorAll('#runs li')].map(li => li.textContent)
            .every(text => text.endsWith('exited 0'))""", "the runs end", seconds=30)

        # A reset removes every directory the screen watches; the next run's are watched anew.
        subprocess.run([os.path.join(bin_dir, "brelta-device"), "reset", "--yes"], check=True,
                       env={**os.environ, "BRELTA_DEVICE_ROOT": root}, stderr=subprocess.DEVNULL)
        browser.wait("""!document.querySelector('#log .record, #settings tbody tr')""",
                     "the log and the settings emptied")
        browser.js(f"document.querySelector('[data-id=\"{IDS}wifilow\"]').click()")
        browser.wait("""(() => { const run = document.querySelector('#runs li');
            return run.textContent.startsWith('wifilow') && [...document.querySelectorAll(
              '#log .record')].some(r => r.dataset.pid === run.dataset.pid); })()""",
                     "the records of a run after the reset")
        browser.wait("document.querySelector('#runs li').textContent.endsWith('exited 0')",
                     "the last run end", seconds=30)
        for what, figures in (("shown on the page", on_page), ("sent by the server", from_server)):
            print(f"written -> {what}: median {statistics.median(figures):.0f} ms, "
                  f"max {figures[-1]:.0f} ms over {len(figures)} writes")
    finally:
        browser.close()
        status = screen.stop()
    assert status == 0, f"brelta-device screen ended with {status}"
    # The browser's helper processes may still be letting go of its profile.
    shutil.rmtree(work, ignore_errors=True)
    print(f"1 passed, 0 failed (screenshots in {shots})")


if __name__ == "__main__":
    main()
