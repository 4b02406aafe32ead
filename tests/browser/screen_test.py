#!/usr/bin/env python3
"""The screen of the emulated TV in a real browser.

Runs `brelta-device screen` on a temporary device root and drives Debian's headless Chromium
over its DevTools protocol (on a pipe, so nothing but the Python standard library is needed):
the remote's buttons, a toast pressed on the page, the gateway's FAIL popup under a fault
script, a setting edited on the page, the server's refusals, and how long a written file takes
to show on the page.

usage: screen_test.py BIN_DIR [SCREENSHOT_DIR]
"""
import http.client
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
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
        raise AssertionError(f"the page never showed {what}")

    def screenshot(self, path):
        import base64
        data = self.call("Page.captureScreenshot", session=True, format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        self.proc.terminate()
        self.proc.wait(10)
