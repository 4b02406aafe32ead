"""What the checks of the screen drive: headless Chromium over its DevTools protocol (on a
pipe, so nothing but the Python standard library is needed), `brelta-device screen` on a
device root, and the fresh work directory, root, server and tab that each check gets."""
import base64
import fcntl
import http.client
import json
import os
import resource
import shutil
import signal
import socket
import subprocess
import tempfile
import time

CHROMIUM = os.environ.get("CHROMIUM", "/usr/bin/chromium")
IDS = "brelta.keycombination."
# The command table: the remote's keys.
COMMAND_IDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "test-tool",
                           "command-ids")


def environment(root):
    """The environment of the programs a check starts: the check's root, and no service live
    (the remote's capture key must never capture on this machine's interfaces)."""
    return {**os.environ, "BRELTA_DEVICE_ROOT": root, "BRELTA_LIVE": ""}


class Browser:
    """Headless Chromium, spoken to over --remote-debugging-pipe (fds 3 and 4). One serves
    every check of a run; each check gets a tab of its own (Tab)."""

    def __init__(self, profile):
        to_browser, self.out = os.pipe()
        self.inp, from_browser = os.pipe()
        # Out of the way of fds 3 and 4, which the child gets them as.
        high = [fcntl.fcntl(fd, fcntl.F_DUPFD, 100) for fd in (to_browser, from_browser)]

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

    def call(self, method, session=None, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
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

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Tab:
    """A page in a browser context of its own: no cookie, storage or cache of another
    check's, gone with the context when the check ends."""

    def __init__(self, browser):
        self.browser = browser
        self.context = browser.call("Target.createBrowserContext")["browserContextId"]
        target = browser.call("Target.createTarget", url="about:blank",
                              browserContextId=self.context)["targetId"]
        self.session = browser.call("Target.attachToTarget", targetId=target,
                                    flatten=True)["sessionId"]
        self.width(1440)

    def call(self, method, session=False, **params):
        return self.browser.call(method, self.session if session else None, **params)

    def width(self, width):
        self.call("Emulation.setDeviceMetricsOverride", session=True, width=width, height=900,
                  deviceScaleFactor=1, mobile=False)

    def js(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression,
                           returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait(self, expression, what, seconds=15):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            # A page still loading has no elements yet: not shown, not an error.
            value = self.js(f"(() => {{ try {{ return {expression}; }} catch {{ return false; }} }})()")
            if value:
                return value
            time.sleep(0.05)
        notes = self.js("[...document.querySelectorAll('.note, #link')].map(n => n.textContent)")
        raise AssertionError(f"the page never showed {what} (its notes: {notes!r})")

    def click(self, selector):
        self.js(f"document.querySelector('{selector}').click()")

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", session=True, format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        self.browser.call("Target.disposeBrowserContext", browserContextId=self.context)


class Screen:
    """`brelta-device screen` on a device root of its own."""

    def __init__(self, bin_dir, root, files=None, listen="127.0.0.1"):
        def limit():
            if files:
                resource.setrlimit(resource.RLIMIT_NOFILE,
                                   (files, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))

        self.proc = subprocess.Popen(
            [os.path.join(bin_dir, "brelta-device"), "screen", "--root", root, "--listen", listen],
            env=environment(root), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
            preexec_fn=limit)
        for line in self.proc.stdout:
            if "#token=" in line:
                self.url = line.strip()
                break
        else:
            raise AssertionError("brelta-device screen printed no address")
        self.host = self.url.split("/")[2]
        self.address, self.port = self.host.rsplit(":", 1)
        self.token = self.url.split("token=")[1]

    def request(self, method, path, body=None, headers=(), token=True):
        connection = http.client.HTTPConnection(self.host, timeout=10)
        headers = {"Content-Type": "application/json",
                   **({"X-Brelta-Token": self.token} if token else {}), **dict(headers)}
        connection.request(method, path, body=body, headers=headers)
        response = connection.getresponse()
        return response.status, response.read().decode()

    def connect(self, send=b""):
        """A connection of a client that sends `send` and then nothing more."""
        client = socket.create_connection((self.address, int(self.port)))
        client.sendall(send)
        return client

    def events(self, receive_buffer=None):
        """A reader of /events; one with a small `receive_buffer` stops reading at once."""
        client = socket.socket()
        if receive_buffer:
            client.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
        client.connect((self.address, int(self.port)))
        client.sendall(f"GET /events HTTP/1.1\r\nHost: {self.host}\r\n"
                       f"X-Brelta-Token: {self.token}\r\n\r\n".encode())
        return client

    def status(self, field):
        with open(f"/proc/{self.proc.pid}/status") as f:
            return int(next(line for line in f if line.startswith(field)).split()[1])

    def descriptors(self):
        return len(os.listdir(f"/proc/{self.proc.pid}/fd"))

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return "no end on SIGTERM", ""
        return self.proc.returncode, self.proc.stderr.read()


class Fixture:
    """A check's own world: a fresh work directory with a device root, the servers it starts
    and a tab of its own, all ended with the check. `browser` gives the run's browser."""

    def __init__(self, bin_dir, shots, browser):
        self.bin_dir, self.shots, self.browser = bin_dir, shots, browser
        self.work = tempfile.mkdtemp(prefix="brelta-screen-")
        self.root = self.path("root")
        self.screens = []
        self.tab = None

    def path(self, name):
        """A new directory of the work directory."""
        os.makedirs(os.path.join(self.work, name))
        return os.path.join(self.work, name)

    def screen(self, root=None, **options):
        screen = Screen(options.pop("bin_dir", self.bin_dir), root or self.root, **options)
        self.screens.append(screen)
        return screen

    def page(self, screen):
        """A tab showing the screen's page, once its remote is there."""
        self.tab = Tab(self.browser())
        self.tab.call("Page.navigate", session=True, url=screen.url)
        self.tab.wait("document.querySelectorAll('#keys button').length", "the remote")
        return self.tab

    def close(self):
        for screen in self.screens:
            if screen.proc.poll() is None:
                screen.stop()
        if self.tab:
            self.tab.close()
        shutil.rmtree(self.work, ignore_errors=True)
