"""One case: a device root of its own, the environment of its programs, and the steps run in
order until the first whose result differs from its block."""
import difflib
import os
import re
import shlex
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time

from .parse import visible

# Seconds a step may wait for an event or a command: the bound of a hang, not a time to meet.
# A step that starts a hundred programs takes a minute in the sanitizer build on two cores
# that the fuzzers and twenty other cases share.
DEADLINE = 180
# Programs that cases call beside the build's (traffic for the capture cases).
TOOLS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'tools')
LOCALE = ['LANG', 'LANGUAGE', 'LC_ALL'] + ['LC_' + c for c in (
    'CTYPE NUMERIC TIME COLLATE MONETARY MESSAGES PAPER NAME ADDRESS TELEPHONE MEASUREMENT '
    'IDENTIFICATION').split()]


class Failure(Exception):
    pass


class Skip(Exception):
    """The machine lacks what a case needs (a kernel feature). Where every case must run
    (CI sets BRELTA_NO_SKIP), it is a failure."""


class Case:
    def __init__(self, path, name, bindir):
        self.path, self.name = path, name
        self.tmp = tempfile.mkdtemp(prefix='brelta-case-')
        self.root = os.path.join(self.tmp, 'root')
        os.mkdir(self.root)
        # Live services are chosen by the case, and the buses it starts are the only ones. A
        # home of its own: a step that unsets BRELTA_DEVICE_ROOT finds the default root there.
        home = os.path.join(self.tmp, 'home')
        os.mkdir(home)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in LOCALE + ['BRELTA_LIVE', 'XDG_STATE_HOME']}
        self.env.update(BRELTA_DEVICE_ROOT=self.root, ROOT=self.root, HOME=home,
                        DBUS_SYSTEM_BUS_ADDRESS=f'unix:path={self.root}/no-system-bus',
                        DBUS_SESSION_BUS_ADDRESS=f'unix:path={self.root}/no-session-bus',
                        PATH=':'.join([self.wrap(bindir), TOOLS, os.environ.get('PATH', '')]))
        self.runs = []       # [pid, Popen, start time, output file]
        self.mark = {}       # file -> its size when the latest run started
        self.daemons = []
        self.enter = []      # nsenter ... --: the namespaces of the case, once it has some
        self.holder = None   # the process that holds them
        self.testbed = None
        self.groups = []     # background commands, each a process group
        self.cleanups = []   # shell commands for the end of the case
        self.endings = []    # what the steps left to end, after the cleanups and groups
        self.update = None   # step line -> actual block, when blocks are being rewritten
        self.number = 0

    def wrap(self, bindir):
        """A directory of the built programs by name, started through the emulator if any."""
        wrapped = os.path.join(self.tmp, 'bin')
        os.mkdir(wrapped)
        emulator = os.environ.get('BRELTA_EMULATOR', '').split()
        for name in os.listdir(bindir):
            target = os.path.join(os.path.abspath(bindir), name)
            if not (os.path.isfile(target) and os.access(target, os.X_OK)):
                continue
            if emulator:
                with open(os.path.join(wrapped, name), 'w') as script:
                    script.write(f'#!/bin/sh\nexec {shlex.join(emulator)} {shlex.quote(target)} "$@"\n')
                os.chmod(os.path.join(wrapped, name), 0o755)
            else:
                os.symlink(target, os.path.join(wrapped, name))
        # The cases' python3 is the runner's own (the build chose Debian's, which has the
        # modules the cases use), not a shim that a PATH may put first.
        os.symlink(sys.executable, os.path.join(wrapped, 'python3'))
        return wrapped

    def at(self, relative):
        return os.path.join(self.root, relative)

    def write(self, relative, data):
        os.makedirs(os.path.dirname(self.at(relative)), exist_ok=True)
        with open(self.at(relative), 'wb') as out:
            out.write(data.encode('latin-1') if isinstance(data, str) else data)

    def normalise(self, text):
        text = text.replace(self.root, '$ROOT').replace('\r\n', '\n')
        for index, run in enumerate(self.runs):
            text = re.sub(rf'\b{run[0]}\b', '$PID' + (str(index + 1) if index else ''), text)
        text = re.sub(r'\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z|\b\d\d:\d\d:\d\d\.\d{3}\b',
                      '<time>', text)
        return [visible(line) for line in text.split('\n')]

    def compare(self, expected, actual, what):
        if len(expected) == len(actual) and all(
                e == a or (e.endswith(' (re)') and re.fullmatch(e[:-5], a))
                for e, a in zip(expected, actual)):
            return
        if self.update is not None:
            self.update[self.number] = actual
            return
        diff = difflib.unified_diff(expected, actual, 'expected', 'actual', lineterm='')
        raise Failure(f'{what} differs:\n' + '\n'.join(diff))

    def output(self, data, status):
        if b'Sanitizer' in data or b'runtime error:' in data:
            raise Failure('sanitizer report:\n' + data.decode('utf-8', 'replace'))
        lines = self.normalise(data.decode('utf-8', 'backslashreplace'))
        if lines and lines[-1] == '':
            lines.pop()
        return lines + ([f'[{status}]'] if status else [])

    def until(self, done, what):
        deadline = time.time() + DEADLINE
        while not done():
            if time.time() > deadline:
                raise Failure(f'waited in vain for {what}')
            time.sleep(0.01)

    # Reading the device root ---------------------------------------------------------------

    def size(self, relative):
        try:
            return os.path.getsize(self.at(relative))
        except OSError:
            return 0

    def read(self, relative, start=0):
        """A file's text from byte `start` on; '' for anything but a regular file (a FIFO must
        not stop a check)."""
        try:
            fd = os.open(self.at(relative), os.O_RDONLY | os.O_NONBLOCK)
        except OSError:
            return ''
        with os.fdopen(fd, 'rb') as f:
            regular = stat.S_ISREG(os.fstat(fd).st_mode)
            return f.read()[start:].decode('utf-8', 'backslashreplace') if regular else ''

    def since(self, relative):
        """The lines of a journal written since the latest run started."""
        text = self.read(relative, self.mark.get(relative, 0))
        return [line for line in self.normalise(text) if line]

    # Running -------------------------------------------------------------------------------

    def run(self, steps, actions):
        """Runs the steps, each by the function of its verb in `actions`; 'ok', 'FAIL' or
        'skip' and what went wrong."""
        try:
            for number, step, block in steps:
                self.number = number
                verb, _, args = step.partition(' ')
                action = actions.get(verb)
                if action is None:
                    raise Failure(f'unknown step {verb!r}')
                try:
                    action(self, args, block)
                except (Failure, Skip) as failure:
                    raise type(failure)(f'{self.path}:{number}: {step}\n{failure}')
            return 'ok', None
        except Failure as failure:
            return 'FAIL', str(failure)
        except Skip as skip:
            return ('FAIL' if os.environ.get('BRELTA_NO_SKIP') else 'skip'), str(skip)
        finally:
            self.end()

    def end(self):
        """Ends what the case started, however it ended."""
        self.kill_runs()
        for command, env in self.cleanups:
            subprocess.run(self.enter + ['/bin/sh', '-c', command], cwd=self.root, env=env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=DEADLINE)
        for group in self.groups:
            os.killpg(group.pid, signal.SIGKILL)
            group.wait()
        for ending in self.endings:
            ending()
        for daemon in reversed(self.daemons):
            daemon.kill()
            daemon.wait()
        if not os.environ.get('BRELTA_KEEP_ROOT'):
            shutil.rmtree(self.tmp, ignore_errors=True)

    def kill_runs(self):
        for run in self.runs:
            if run[1].returncode is None:
                os.killpg(run[0], signal.SIGKILL)
                run[1].wait()
