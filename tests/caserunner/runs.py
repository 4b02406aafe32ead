"""Steps that run the tool and check what its runs leave: their output, the records of the
log buffers (read by the build's brelta-device, the one parser of the format), and the checks
that every run must pass without a case saying so."""
import json
import os
import re
import shlex
import subprocess
import tempfile
import time
from datetime import datetime

from .case import DEADLINE, Failure
from .parse import unescape, visible

EXITING = re.compile(r'EXITING in (-?\d+) seconds \.\.\.$')
TAGS = {'system': 'BRELTA_TEST_TOOL', 'main': 'BRELTA_LOG'}
# The command table, for start-ids.
COMMAND_IDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'test-tool',
                           'command-ids')


def start(case, args, block):
    case.mark = {name: case.size(name) for name in (
        'log/system', 'log/main', 'notifications/journal', 'apps/launches')}
    out = tempfile.TemporaryFile(dir=case.tmp)
    argv = [os.fsdecode(unescape(word).encode('latin-1')) for word in shlex.split(args)]
    process = subprocess.Popen(case.enter + ['brelta_test_tool'] + argv, cwd=case.root,
                               env=case.env, stdin=subprocess.DEVNULL, stdout=out,
                               stderr=subprocess.STDOUT, start_new_session=True)
    case.runs.append([process.pid, process, time.time(), out])


def start_ids(case, args, block):
    """Starts one run for each id of the command table with this exit delay."""
    for line in open(COMMAND_IDS):
        if not line.startswith('#') and line.split()[1] == args:
            start(case, line.split()[0], [])


def wait(case, args, block):
    outputs = []
    for pid, process, started, out in case.runs:
        if process.returncode is not None:
            continue
        try:
            status = process.wait(timeout=max(1, started + 200 - time.time()))
        except subprocess.TimeoutExpired:
            raise Failure(f'run {pid} did not end')
        out.seek(0)
        # GLib's own warnings begin with a blank line; the tool prints none of its own.
        outputs += [line for line in case.output(out.read(), status) if line]
    case.compare(block, outputs, 'output of the tool')
    check_log(case)


def run(case, args, block):
    start(case, args, [])
    wait(case, '', block)


def kill(case, args, block):
    case.kill_runs()


def records_step(case, args, block):
    buffer, *files = args.split()
    latest = case.runs[-1][0] if case.runs else None
    lines = {}  # by writer: how processes interleave is the scheduler's choice
    for when, pid, file, function, text in records(case, buffer):
        if not files or file in files:
            text = text.replace(case.root, '$ROOT')
            lines.setdefault(label(case, pid, latest), []).append(visible(
                f'{label(case, pid, latest)}{file}: {function} >' + (' ' + text if text else '')))
    case.compare(block, [line for writer in sorted(lines) for line in lines[writer]],
                 f'records of log/{buffer}')


def label(case, pid, latest):
    """How a record shows its writer: nothing for the latest run, [$PIDn] for an earlier run
    of the case, [child] for a process that a run started."""
    known = [run[0] for run in case.runs]
    if pid == latest:
        return ''
    if pid in known:
        return '[$PID' + (str(known.index(pid) + 1) if known.index(pid) else '') + '] '
    return '[child] '


def between(case, args, block):
    first, second, low, high = shlex.split(args)
    times = [r[0] for r in records(case, 'system')]
    texts = [r[4] for r in records(case, 'system')]
    begin = next((i for i, t in enumerate(texts) if first in t), None)
    end = next((i for i, t in enumerate(texts) if second in t and i > (begin or 0)), None)
    if begin is None or end is None:
        raise Failure(f'no records {first!r} then {second!r}')
    gap = times[end] - times[begin]
    if not float(low) <= gap <= float(high):
        raise Failure(f'{gap:.3f} s from {first!r} to {second!r}, not in [{low}, {high}]')


def log(case, buffer):
    """The records of a log buffer as brelta-device reads them (log --json), each with the
    byte where its line starts: the one parser of the format, not a copy of it."""
    if not os.path.isfile(case.at('log/' + buffer)):
        return []  # no file, or one that cannot be read: no records to check
    result = subprocess.run(['brelta-device', '--root', case.root, 'log', '--json', buffer],
                            cwd=case.root,
                            # The file's records, whichever services the case made live.
                            env=dict(case.env, BRELTA_LIVE=''), stdin=subprocess.DEVNULL,
                            capture_output=True,
                            timeout=DEADLINE)
    if result.returncode or result.stderr:
        raise Failure(f'log/{buffer}: ' + result.stderr.decode('utf-8', 'backslashreplace'))
    found = [json.loads(line) for line in result.stdout.splitlines()]
    lines = open(case.at('log/' + buffer), 'rb').read().split(b'\n') if found else []
    begin = 0
    for record, line in zip(found, lines):
        record['start'] = begin
        begin += len(line) + 1
    return found


def records(case, buffer, found=None):
    """(time, pid, file, function, text) of the latest run's window of a log buffer."""
    out = []
    for r in found if found is not None else log(case, buffer):
        if r['start'] < case.mark.get('log/' + buffer, 0):
            continue
        if r['file'] is None:
            raise Failure(f'log/{buffer} holds a record without its source: {r["message"]!r}')
        when = datetime.fromisoformat(r['time'].replace('Z', '+00:00')).timestamp()
        out.append((when, r['pid'], r['file'], r['function'], r['text']))
    return out


def check_log(case):
    """What every run must leave: whole records of the right tag and priority, stamped with
    the time they were written, and an exit delay that its records bear out."""
    first = min(run[2] for run in case.runs) - 1
    for buffer, tag in TAGS.items():
        found = log(case, buffer)
        for r in found:
            if r['priority'] != 'I' or r['tag'] != tag or r['file'] is None:
                raise Failure(f'log/{buffer}: not an info record of {tag}: {r["message"]!r}')
        waiting = {}
        for when, pid, file, function, message in records(case, buffer, found):
            if not first <= when <= time.time() + 1:
                raise Failure(f'log/{buffer}: record stamped {when - first:.1f} s after start')
            delay = EXITING.match(message)
            if delay:
                waiting[pid] = (when, int(delay.group(1)))
            elif message == 'EXITING.' and pid in waiting:
                gap = when - waiting[pid][0]
                # GLib's whole-second timers fire within a second of the delay asked.
                if abs(gap - waiting[pid][1]) > 1:
                    raise Failure(f'exit delay {gap:.3f} s for {waiting[pid][1]} s')
    for journal in ('notifications/journal', 'apps/launches'):
        for line in case.read(journal).split('\n')[:-1]:
            try:
                assert isinstance(json.loads(line), dict)
            except (ValueError, AssertionError):
                raise Failure(f'{journal}: not a JSON object: {line!r}')


STEPS = {'start': start, 'start-ids': start_ids, 'wait': wait, 'run': run, 'kill': kill,
         'records': records_step, 'between': between}
