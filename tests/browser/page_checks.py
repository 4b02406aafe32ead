"""The screen in a real browser: the remote and its toast, the gateway's popup, settings and
the layout, the latency of a change, a page of another port, a reset under the page, and the
server going away. Each check gets a page of its own on a fresh root (screenkit.Fixture)."""
import http.server
import json
import os
import statistics
import subprocess
import threading
import time

from screenkit import COMMAND_IDS, IDS, environment


def remote(f):
    """The remote has the command table's keys; the first view says what to press and the
    token has left the address bar for the tab. A key starts a capture, whose toast is
    pressed on the page: the press is the journal's one event."""
    screen = f.screen()
    browser = f.page(screen)
    keys = browser.js("[...document.querySelectorAll('#keys button')].map(b => b.dataset.id)")
    with open(COMMAND_IDS) as table:
        ids = [line.split()[0] for line in table if line.strip() and not line.startswith("#")]
    assert sorted(keys) == sorted(ids), keys
    assert browser.js("[!document.querySelector('#hint').hidden, location.href, document.cookie]") \
        == [True, f"http://{screen.host}/", ""]
    browser.click(f'[data-id="{IDS}tcpdumpstart"]')
    toast = browser.wait("""(() => { const t = document.querySelector('.toast');
        return t && [t.dataset.id, t.querySelector('.title').textContent,
                     t.querySelector('button.default').textContent]; })()""", "the toast")
    assert toast[1:] == ["TCP Dump tool", "OK"], toast
    browser.wait("document.querySelector('#runs li').textContent.includes('exits in')",
                 "the run's exit delay")
    browser.screenshot(os.path.join(f.shots, "screen-toast.png"))
    browser.click('.toast button[data-button="1"]')
    browser.wait("!document.querySelector('.toast')", "the toast leave")
    with open(os.path.join(f.root, "notifications", "journal")) as journal:
        events = [json.loads(line) for line in journal if '"event"' in line]
    assert [(e["id"], e["event"]) for e in events] == [(int(toast[0]), 0)], events

    # The key combination's stop copies nothing from a run of its own; the remote's "stop
    # and copy" key does, and says where.
    stick = f.path("stick")
    subprocess.run([os.path.join(f.bin_dir, "brelta-device"), "usb", "attach", stick],
                   env=environment(f.root), check=True)
    browser.click("#stop-copy")
    browser.wait(f"""document.querySelector('#remote-note').textContent
        === 'stopped; copied to {stick}/tcpdump-[time].pcap'""", "the stop and copy's answer")
    assert os.path.getsize(os.path.join(stick, "tcpdump-[time].pcap")) == 24


def popup(f):
    """A fault script set on the page makes the gateway check fail: the red popup, which the
    remote's Back closes before its time."""
    browser = f.page(f.screen())
    browser.js("""(() => { const f = document.querySelector('#fault-form');
        f.function.value = 'connection_profile_check_default_gateway';
        f.values.value = '-1'; f.requestSubmit(); })()""")
    browser.wait("!!document.querySelector('#faults li')", "the fault script")
    browser.click(f'[data-id="{IDS}gateway"]')
    shown = browser.wait("""(() => { const p = document.querySelector('#popup');
        return !p.hidden && [p.querySelector('.alert-text').textContent,
                             getComputedStyle(p.querySelector('.alert-text')).color]; })()""",
                         "the alert popup")
    assert shown == ["NETWORK TEST : FAIL", "rgb(255, 0, 0)"], shown
    browser.wait("document.querySelector('.alert-time').textContent.startsWith('closes in')",
                 "the popup's count-down")
    browser.screenshot(os.path.join(f.shots, "screen-popup.png"))
    browser.click("#back")
    browser.wait("document.querySelector('#popup').hidden", "the popup closed by Back")


def settings(f):
    """A bad value is answered beside its form; a good one is written. Long keys and values
    for the layout; a selector from the root's launch journal shown as text."""
    root = f.root
    browser = f.page(f.screen())
    browser.js("""(() => { const f = document.querySelector('#setting-form');
        f.key.value = 'db/menu_widget/count'; f.type.value = 'int'; f.value.value = 'many';
        f.requestSubmit(); })()""")
    browser.wait("""document.querySelector('#setting-form + .note.bad').textContent
        === "'many' is not an int" """, "the form's error beside it")
    browser.js("""(() => { const f = document.querySelector('#setting-form');
        f.key.value = 'db/menu_widget/language'; f.type.value = 'string';
        f.value.value = 'de_DE.UTF-8'; f.requestSubmit(); })()""")
    language = os.path.join(root, "settings", "db", "menu_widget", "language")
    deadline = time.monotonic() + 10
    while not os.path.exists(language) and time.monotonic() < deadline:
        time.sleep(0.05)
    with open(language) as written:
        assert written.read() == "string de_DE.UTF-8\n"
    long_key = "memory/menu/network/screenmirroring/capture_tsdump_of_the_second_tuner"
    for key, value in ((long_key, "int 1\n"), ("db/a/note", "string " + "word " * 40 + "\n")):
        os.makedirs(os.path.dirname(os.path.join(root, "settings", key)), exist_ok=True)
        with open(os.path.join(root, "settings", key), "w") as out:
            out.write(value)
    browser.wait(f"!!document.querySelector('[data-key=\"{long_key}\"]')", "the long key")
    layout(browser, f.shots)
    os.makedirs(os.path.join(root, "apps"), exist_ok=True)
    with open(os.path.join(root, "apps", "launches"), "a") as out:
        out.write(json.dumps({"pid": 1, "app_id": "org.tizen.net-popup", "operation": None,
                              "extra": [["NW_TEST_FUNCTION_FROM_JSON", "__proto__"]],
                              "result": 0}) + "\n")
    browser.wait("document.querySelector('#app .app-page').textContent === '__proto__'",
                 "a selector from the root as its text")
    browser.click("#back")


def latency(f):
    """The time from a setting written to its value on the page and to its event from the
    server: figures, printed."""
    screen = f.screen()
    browser = f.page(screen)
    on_page, from_server = measure_latency(browser, screen, f.root)
    for what, figures in (("shown on the page", on_page), ("sent by the server", from_server)):
        print(f"written -> {what}: median {statistics.median(figures):.0f} ms, "
              f"max {figures[-1]:.0f} ms over {len(figures)} writes")


def reset(f):
    """A run counting down its delay keeps its state through a reset of the root; what the
    page showed of the root before is gone."""
    os.makedirs(os.path.join(f.root, "settings", "db", "a"))
    with open(os.path.join(f.root, "settings", "db", "a", "note"), "w") as out:
        out.write("string a note\n")
    browser = f.page(f.screen())
    browser.wait("!!document.querySelector('[data-key=\"db/a/note\"]')", "the key")
    browser.click(f'[data-id="{IDS}wifilow"]')
    browser.wait("""(text => text.startsWith('wifilow') && text.includes('exits in'))(
        document.querySelector('#runs li').textContent)""", "the wifilow run's exit delay")
    browser.wait("document.querySelectorAll('#log .record').length", "the run's records")
    browser.js("document.querySelectorAll('#log .record').forEach(r => r.dataset.old = 1)")
    # The runs still going write on: a reset may meet a directory they just filled again.
    for _ in range(5):
        if subprocess.run([os.path.join(f.bin_dir, "brelta-device"), "reset", "--yes"],
                          env=environment(f.root), stderr=subprocess.DEVNULL).returncode == 0:
            break
    # Runs still going write again; what was there before is gone.
    browser.wait("""!document.querySelector('#log .record[data-old], [data-key="db/a/note"]')""",
                 "the log and the settings emptied")
    assert "exits in" in screen_runs(browser)[0], screen_runs(browser)


def ending(f):
    """An MDT run with no MDT program says so, and is going when the server is stopped: the
    server ends it, and the page says that the server does not answer, to a press too. A
    connection held open without a word is closed by the server at its deadline."""
    screen = f.screen()
    silent = screen.connect()
    browser = f.page(screen)
    browser.click(f'[data-id="{IDS}mdt"]')
    mdt = browser.wait("""(() => { const run = document.querySelector('#runs li');
        return run.textContent.includes('its program is missing (result 32512)') &&
               Number(run.dataset.pid); })()""", "the MDT run's missing program")
    # Closed at the server's deadline for a request (seconds), however long that takes.
    silent.settimeout(60)
    assert silent.recv(16) == b"", "a silent connection was kept"
    status, stderr = screen.stop()
    browser.wait("document.querySelector('#link').textContent.startsWith('The server does not answer')",
                 "the server gone")
    browser.click(f'[data-id="{IDS}ndf"]')
    browser.wait("document.querySelector('#remote-note').textContent.startsWith('The server does not answer')",
                 "the press answered with the server gone")
    ended = stderr.partition("SIGTERM: ended, and with it the runs of the remote:")[2]
    assert status == 0 and str(mdt) in ended.split(), (status, stderr)
    try:
        os.kill(mdt, 0)
        raise AssertionError("the MDT run outlived the screen")
    except ProcessLookupError:
        pass


class Stranger(http.server.BaseHTTPRequestHandler):
    """A server on another port of 127.0.0.1, as another local user could run one: its page
    tries to read the screen's token and to press a key with what the browser would send."""
    seen = []
    page = ""

    def do_GET(self):
        Stranger.seen.append(f"{self.requestline}\n{self.headers}")
        body = Stranger.page.encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def other_port(f):
    """A page of another port in the same browser gets no token, neither in what the browser
    sends it nor by reading, and cannot use the screen."""
    screen = f.screen()
    browser = f.page(screen)
    # Threads: the browser may hold a connection that it sends nothing on.
    stranger = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Stranger)
    threading.Thread(target=stranger.serve_forever, daemon=True).start()
    target = f"http://{screen.host}"
    Stranger.page = f"""<script>
      window.result = (async () => {{
        const tries = {{cookie: document.cookie, storage: sessionStorage.getItem('token')}};
        for (const [name, init] of [
            ['events', {{credentials: 'include'}}],
            ['press', {{method: 'POST', mode: 'no-cors', credentials: 'include',
                       body: '{{"id": "{IDS}gateway"}}'}}],
            ['press as JSON', {{method: 'POST', credentials: 'include',
                               headers: {{'Content-Type': 'application/json'}},
                               body: '{{"id": "{IDS}gateway"}}'}}]]) {{
          try {{ tries[name] = (await fetch('{target}' + (name === 'events' ? '/events' : '/api/press'),
                                            init)).status; }}
          catch (e) {{ tries[name] = 'failed'; }}
        }}
        return tries;
      }})();</script>"""
    runs = len(screen_runs(browser))
    browser.call("Page.navigate", session=True, url=f"http://127.0.0.1:{stranger.server_port}/")
    browser.wait("document.readyState === 'complete' && window.result", "the stranger's page")
    tries = browser.js("window.result")
    stranger.shutdown()
    # The no-cors press reaches the server without a token (403), unseen by the page (0).
    assert tries == {"cookie": "", "storage": None, "events": "failed", "press": 0,
                     "press as JSON": "failed"}, tries
    assert not any(screen.token in request for request in Stranger.seen), Stranger.seen
    browser.call("Page.navigate", session=True, url=f"http://{screen.host}/")
    browser.wait("document.querySelector('#link').textContent === 'live'",
                 "the page again, by its token kept for the tab")
    assert len(screen_runs(browser)) == runs, "the stranger started a run"


def screen_runs(browser):
    return browser.js("[...document.querySelectorAll('#runs li')].map(li => li.textContent)")


def layout(browser, shots):
    """From 800 px up nothing is cut off or scrolled sideways, and the settings table breaks
    no word: every word of its keys, types and values lies on one line."""
    words = """[...document.querySelectorAll('#settings td')].every(td => {
        const text = td.textContent, range = document.createRange();
        for (const m of text.matchAll(/[^\\s/._]+/g)) {
          let at = 0, node;
          const walker = document.createTreeWalker(td, NodeFilter.SHOW_TEXT);
          while ((node = walker.nextNode()) && at + node.length <= m.index) at += node.length;
          if (m.index - at + m[0].length > node.length) continue;
          range.setStart(node, m.index - at);
          range.setEnd(node, m.index - at + m[0].length);
          if (new Set([...range.getClientRects()].map(r => r.top)).size > 1) return false;
        }
        return true; })"""
    cut = """[...document.querySelectorAll('main *')].filter(e => e.getClientRects().length &&
        !e.closest('#tv, #log, #launches') &&
        e.getBoundingClientRect().right > document.documentElement.clientWidth + 1)
        .map(e => e.id || e.className || e.tagName)"""
    for width in range(800, 1441, 160):
        browser.width(width)
        overflow = browser.js(f"""[document.documentElement.scrollWidth -
            document.documentElement.clientWidth, {cut}, {words}]""")
        assert overflow == [0, [], True], (width, overflow)
        if width in (800, 1440):
            browser.screenshot(os.path.join(shots, f"screen-{width}.png"))


def measure_latency(browser, screen, root, writes=20):
    """Milliseconds from a setting written (renamed into place) to its value on the page, and
    to its event from the server (read here, without the browser)."""
    browser.js("""window.shown = {};
        new MutationObserver(() => {
          for (const cell of document.querySelectorAll('#settings td:nth-child(3)'))
            if (!(cell.textContent in window.shown)) window.shown[cell.textContent] = Date.now();
        }).observe(document.querySelector('#settings'), {childList: true, subtree: true});""")
    stream = screen.events()
    stream.settimeout(30)
    sent = {}

    def read_events():
        while len(sent) < writes and (chunk := stream.recv(1 << 16)):
            now = time.time() * 1000
            for i in range(writes):
                if f'"probe-{i}"'.encode() in chunk:
                    sent.setdefault(f"probe-{i}", now)

    reader = threading.Thread(target=read_events, daemon=True)
    reader.start()
    key = os.path.join(root, "settings", "latency")
    os.makedirs(os.path.dirname(key), exist_ok=True)
    written = {}
    for i in range(writes):
        value = f"probe-{i}"
        with open(key + ".new", "w") as out:
            out.write(f"string {value}\n")
        written[value] = time.time() * 1000
        os.rename(key + ".new", key)
        browser.wait(f"window.shown['{value}']", value)
        time.sleep(0.05)
    reader.join(10)
    stream.close()
    shown = browser.js("window.shown")
    return [sorted(seen[v] - t for v, t in written.items()) for seen in (shown, sent)]


CHECKS = {"remote": remote, "popup": popup, "settings": settings, "latency": latency,
          "other-port": other_port, "reset": reset, "ending": ending}
