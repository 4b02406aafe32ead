#!/usr/bin/env python3
"""The screen of the emulated TV in a real browser, and the screen under attack.

    screen_test.py BIN_DIR [SCREENSHOT_DIR] [CHECK ...]

Runs `brelta-device screen` and drives Debian's headless Chromium over its DevTools protocol.
Each check (server_checks.py: the server without a browser; page_checks.py: the page in the
browser) runs on a fresh device root with servers of its own and, on the page, a tab in a
browser context of its own; one check's failure is reported and the next runs. Without CHECK
names, every check runs. One browser serves them all: starting one costs seconds, more than
most checks take.
"""
import os
import sys
import tempfile
import time
import traceback

import page_checks
import server_checks
from screenkit import CHROMIUM, Browser, Fixture

CHECKS = {**server_checks.CHECKS, **page_checks.CHECKS}


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if not os.access(CHROMIUM, os.X_OK):
        sys.exit(f"no browser at {CHROMIUM}: ./test installs Debian's chromium")
    bin_dir = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "screenshots")
    names = sys.argv[3:] or list(CHECKS)
    unknown = [name for name in names if name not in CHECKS]
    if unknown:
        sys.exit(f"no check {', '.join(unknown)}; the checks: {', '.join(CHECKS)}")
    os.makedirs(shots, exist_ok=True)
    profiles = tempfile.TemporaryDirectory(prefix="brelta-browser-", ignore_cleanup_errors=True)
    browser = None

    def shared_browser():
        """The run's browser, started at the first check that needs it, and again after one
        that it did not survive."""
        nonlocal browser
        if browser is None or browser.proc.poll() is not None:
            browser = Browser(tempfile.mkdtemp(dir=profiles.name))
        return browser

    failed = 0
    try:
        for name in names:
            fixture = Fixture(bin_dir, shots, shared_browser)
            started = time.monotonic()
            try:
                CHECKS[name](fixture)
                print(f"ok   {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except Exception:
                failed += 1
                print(f"FAIL {name}\n{traceback.format_exc()}", flush=True)
            finally:
                try:
                    fixture.close()
                except Exception:
                    # A browser gone with the check: the next check starts another.
                    print(f"     {name}: ending it: {traceback.format_exc()}", flush=True)
    finally:
        if browser:
            browser.close()
        # The browser's helper processes may still be letting go of its profile.
        profiles.cleanup()
    print(f"{len(names) - failed} passed, {failed} failed (screenshots in {shots})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
