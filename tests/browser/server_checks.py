"""The server under attack, without a browser: refusals, a screen without the tool, a root
of traps, clients without the token that hold connections open, and event readers that stop
reading under a flood of writes. Each check gets a fixture of its own (screenkit.Fixture)."""
import json
import os
import shutil
import socket
import time

from screenkit import IDS

# The server's memory under the flood below, peak resident: the idle server (about 9 MiB),
# its state (within 2 MiB) and eight event streams of at most 2 MiB held back each.
MEMORY_BOUND_KIB = 32 * 1024


def refusals(f):
    """Only this server's page, with its token in the header, gets anywhere; and only the
    command table's ids run."""
    screen, root = f.screen(), f.root
    press = json.dumps({"id": IDS + "gateway"})
    rows = [
        # what, method, path, body, headers, with the token, status
        ("the page, without a token", "GET", "/", None, {}, False, 200),
        ("no token", "GET", "/events", None, {}, False, 403),
        ("no token on a press", "POST", "/api/press", press, {}, False, 403),
        ("a wrong token", "GET", "/events", None, {"X-Brelta-Token": "0" * 32}, False, 403),
        ("the token as a query", "GET", f"/events?token={screen.token}", None, {}, False, 403),
        ("a foreign origin", "POST", "/api/press", press, {"Origin": "http://example.com"}, True, 403),
        ("a foreign host name", "GET", "/", None, {"Host": "attacker.example"}, True, 403),
        ("the same address, another port", "GET", "/", None,
         {"Host": f"{screen.address}:1"}, True, 403),
        ("a preflight", "OPTIONS", "/api/press", None, {}, False, 403),
        ("an id outside the table", "POST", "/api/press", json.dumps({"id": IDS + "shell"}), {},
         True, 400),
        ("a form post", "POST", "/api/press", press, {"Content-Type": "text/plain"}, True, 415),
        ("a large body", "POST", "/api/setting", "x" * 5000, {}, True, 413),
    ]
    got = [(row[0], screen.request(*row[1:5], token=row[5])[0]) for row in rows]
    assert got == [(row[0], row[-1]) for row in rows], got
    assert not os.path.exists(os.path.join(root, "log")), "a refused press ran the tool"


def alone(f):
    """A screen with no tool beside it, listening on an address in a long form: it prints the
    short form that browsers send and answers it, as a loopback address without a warning;
    a press says that the tool is not built."""
    alone = f.path("alone")
    shutil.copy(os.path.join(f.bin_dir, "brelta-device"), alone)
    listen = "0:0:0:0:0:0:0:1" if socket.has_ipv6 else "127.0.0.1"
    screen = f.screen(bin_dir=alone, listen=listen)
    page = screen.request("GET", "/", headers={"Host": screen.host})[0]
    press = screen.request("POST", "/api/press", json.dumps({"id": IDS + "ndf"}))
    status, stderr = screen.stop()
    assert (page, press[0], "the tool is not built" in press[1], status, "whoever" in stderr) == \
        (200, 501, True, 0, False), (page, press, stderr)
    assert screen.host.startswith("[::1]:" if socket.has_ipv6 else "127.0.0.1:"), screen.host


def hostile_root(f):
    """A root of traps: FIFOs where the log and the launch journal belong, a 3 GiB log, links
    in the settings tree back to / and to itself. The screen still starts and streams."""
    root = f.root
    for path in ("log", "apps", "settings/a"):
        os.makedirs(os.path.join(root, path))
    os.mkfifo(os.path.join(root, "log", "main"))
    os.mkfifo(os.path.join(root, "apps", "launches"))
    record = "2026-12-05T13:46:45.123Z 42 I/TAG: the last record"
    with open(os.path.join(root, "log", "system"), "w") as log:
        log.truncate(3 << 30)
        log.seek(3 << 30)
        log.write(f"\n{record}\n")
    os.symlink("/", os.path.join(root, "settings", "a", "slash"))
    os.symlink("..", os.path.join(root, "settings", "a", "up"))
    screen = f.screen()
    try:
        stream = screen.events()
        stream.settimeout(10)
        text = b""
        while b"the last record" not in text and (chunk := stream.recv(1 << 16)):
            text += chunk
        stream.close()
        assert b'"pid":42,"priority":"I","tag":"TAG","message":"the last record"' in text, text[-300:]
    finally:
        assert screen.stop()[0] == 0


def connections(f):
    """Under a limit of 64 descriptors, clients without the token hold all the connections
    they can: silent, headers sent in part, a keep-alive after a refusal, a body promised and
    not sent. The owner's request is still answered within a second, and the server holds no
    more connections than its cap."""
    screen = f.screen(files=64)
    try:
        head = f"Host: {screen.host}\r\n".encode()
        sends = [b"", b"GET /screen.css HTTP/1.1\r\nHost: x",
                 b"GET /events HTTP/1.1\r\n" + head + b"\r\n",
                 b"POST /api/press HTTP/1.1\r\n" + head + b"Content-Length: 99\r\n\r\n{"]
        clients = [screen.connect(sends[i % len(sends)]) for i in range(200)]
        time.sleep(0.3)  # for the connections given up to be let go
        held = screen.descriptors()
        started = time.monotonic()
        owner = screen.events()
        owner.settimeout(5)
        answer = owner.recv(64)
        took = time.monotonic() - started
        assert answer.startswith(b"HTTP/1.1 200"), answer
        assert took < 1, f"the owner waited {took:.2f} s"
        # 32 connections (64 descriptors less 32 kept for the rest), and the server's own.
        assert held <= 32 + 12, f"{held} descriptors open under 200 connections"
        print(f"200 connections without the token: {held} descriptors held; "
              f"the owner answered in {1000 * took:.0f} ms")
        for client in clients + [owner]:
            client.close()
    finally:
        assert screen.stop()[0] == 0


def flood(f):
    """Seven event readers that stop reading, 200 keys of 3 KB, 100 writes of one small key:
    the readers are kept (changes are sent, not the store). Then every large key rewritten
    ten times (6 MB for each reader, more than the kernel's buffers and the server's bound
    together): the readers are dropped, and the server's memory stays within its bound."""
    root = f.root
    screen = f.screen()
    try:
        readers = [screen.events(receive_buffer=4096) for _ in range(7)]
        os.makedirs(os.path.join(root, "settings", "flood"))

        def write(key, text):
            path = os.path.join(root, "settings", key)
            with open(path + ".new", "w") as out:
                out.write(text)
            os.rename(path + ".new", path)

        for i in range(200):
            write(f"flood/k{i}", "string " + "x" * 3000 + "\n")
        for i in range(100):
            write("small", f"int {i}\n")
            time.sleep(0.002)
        probe = screen.events()
        probe.settimeout(10)
        text = b""
        while b'"small","type":"int","value":"99"' not in text:
            text += probe.recv(1 << 16)
        probe.close()
        assert screen.descriptors() > 10, "readers dropped for a few small changes"
        small = screen.status("VmHWM")
        for turn in range(10):
            for i in range(200):
                write(f"flood/k{i}", f"string {turn}" + "x" * 3000 + "\n")
            time.sleep(0.05)  # each round a change of its own
        deadline = time.monotonic() + 10
        while screen.descriptors() > 10 and time.monotonic() < deadline:
            time.sleep(0.05)
        peak = screen.status("VmHWM")
        assert screen.descriptors() <= 10, "the stalled readers were kept"
        assert peak <= MEMORY_BOUND_KIB, f"peak {peak} KiB"
        print(f"7 stalled readers: peak {small} KiB resident after the small writes, {peak} KiB "
              f"after the flood (bound {MEMORY_BOUND_KIB} KiB), which dropped them")
        for reader in readers:
            reader.close()
    finally:
        assert screen.stop()[0] == 0


CHECKS = {"refusals": refusals, "alone": alone, "hostile-root": hostile_root,
          "connections": connections, "flood": flood}
