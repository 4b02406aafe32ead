#!/usr/bin/env python3
"""The screen of the emulated TV in a real browser, and the screen under attack.

    screen_test.py BIN_DIR [SCREENSHOT_DIR] [CHECK ...]
    screen_test.py --list

Runs `brelta-device screen` and drives Debian's headless Chromium over its DevTools protocol.
Each check (server_checks.py: the server without a browser; page_checks.py: the page in the
browser) runs on a fresh device root with a server and a page of its own, so that one fails
alone; without CHECK names, every check runs. --list prints the checks' names, one a line
(ctest makes a test of each: Browser.<check>).
"""
import os
import sys
import traceback

import page_checks
import server_checks
from screenkit import CHROMIUM, Fixture

CHECKS = {**server_checks.CHECKS, **page_checks.CHECKS}


def main():
    if sys.argv[1:] == ["--list"]:
        print("\n".join(CHECKS))
        return 0
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
    failed = 0
    for name in names:
        fixture = Fixture(bin_dir, shots)
        try:
            CHECKS[name](fixture)
            print(f"ok   {name}", flush=True)
        except Exception:
            failed += 1
            print(f"FAIL {name}\n{traceback.format_exc()}", flush=True)
        finally:
            fixture.close()
    print(f"{len(names) - failed} passed, {failed} failed (screenshots in {shots})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
