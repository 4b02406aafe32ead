"""Steps that give a case what a live service meets on a machine: namespaces of its own
(network, mount), a systemd journal of its own, an umockdev testbed of devices; and the
features of the machine that a case needs, or it skips."""
import os
import signal
import subprocess

from .case import DEADLINE, Failure, Skip
from .shell import shell

# What a case may need of the machine, and a command that succeeds where it is there.
FEATURES = {
    'net': ('network namespaces', ['unshare', '--net', 'true']),
    'mount': ('mount namespaces', ['unshare', '--mount', 'true']),
    'loop': ('loop devices', ['losetup', '--find']),
    'root': ('root', ['sh', '-c', 'test "$(id -u)" = 0']),
}

# The umockdev testbed of a case: prints its directory, then adds the devices of a file
# ("add FILE") or unplugs one ("remove SYSFS-PATH"), answering "ok" to each.
TESTBED = '''
import sys, gi
gi.require_version('UMockdev', '1.0')
from gi.repository import UMockdev
testbed = UMockdev.Testbed.new()
print(testbed.get_root_dir(), flush=True)
for line in sys.stdin:
    verb, _, arg = line.strip().partition(' ')
    if verb == 'add':
        testbed.add_from_string(open(arg).read())
    elif verb == 'remove':
        testbed.uevent(arg, 'remove')
        testbed.remove_device(arg)
    print('ok', flush=True)
'''


def needs(case, args, block):
    """Skips the case unless the machine has each of the features (FEATURES)."""
    for feature in args.split():
        what, probe = FEATURES[feature]
        try:
            result = subprocess.run(probe, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                    timeout=DEADLINE)
        except FileNotFoundError as error:
            raise Skip(f'no {what}: {error}')
        if result.returncode != 0:
            raise Skip(f'no {what}: {result.stderr.decode(errors="replace").strip()}')


def namespace(case, args, block):
    """Later processes of the case run in new namespaces of these kinds (net, mount), gone
    with the case."""
    kinds = args.split()
    needs(case, args, [])
    flags = {'net': ['--net'], 'mount': ['--mount', '--propagation', 'private']}
    case.holder = subprocess.Popen(
        ['unshare'] + [f for kind in kinds for f in flags[kind]] + ['sleep', 'infinity'],
        cwd=case.root, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    case.daemons.append(case.holder)
    case.endings.append(lambda: end_namespaces(case))
    kind_ns = {'net': 'net', 'mount': 'mnt'}
    own = {kind: os.readlink(f'/proc/self/ns/{kind_ns[kind]}') for kind in kinds}

    def entered():
        try:
            return all(os.readlink(f'/proc/{case.holder.pid}/ns/{kind_ns[k]}') != own[k]
                       for k in kinds)
        except OSError:
            raise Failure('the namespaces\' holder ended')
    case.until(entered, 'the new namespaces')
    case.enter = ['nsenter', '--target', str(case.holder.pid)] + \
        [{'net': '--net', 'mount': '--mount'}[kind] for kind in kinds] + \
        [f'--wd={case.root}', '--']
    if 'net' in kinds:
        shell(case, 'ip link set lo up', [])


def inside(case, path):
    """A path as the case's mount namespace sees it."""
    return f'/proc/{case.holder.pid}/root{path}' if case.holder else path


def end_namespaces(case):
    """Kills what still runs in the case's namespaces (a detached capture helper, say), the
    holder last."""
    spaces = {os.readlink(f'/proc/{case.holder.pid}/ns/{kind}') for kind in ('net', 'mnt')}
    spaces -= {os.readlink(f'/proc/self/ns/{kind}') for kind in ('net', 'mnt')}
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            if int(pid) != case.holder.pid and any(
                    os.readlink(f'/proc/{pid}/ns/{kind}') in spaces for kind in ('net', 'mnt')):
                os.kill(int(pid), signal.SIGKILL)
        except OSError:
            pass


def journald(case, args, block):
    """A systemd journal of the case's own (none with `journald none`): tmpfs over the
    journal's folders in the case's mount namespace, journald started in it; later steps find
    its pid in $JOURNALD_PID."""
    if not case.holder:
        raise Failure('journald needs `namespace mount` first')
    shell(case, 'mkdir -p /run/systemd /run/log && mount -t tmpfs tmpfs /run/systemd && '
                'mount -t tmpfs tmpfs /run/log && { ! [ -d /var/log/journal ] || '
                'mount -t tmpfs tmpfs /var/log/journal; }', [])
    if args == 'none':
        return
    # A session of its own: a case may stop it, and the kernel sends SIGHUP (which ends
    # journald) to a process group that is orphaned while one of its processes is stopped, as
    # the runner's group is when the shell that started it in the background has ended.
    daemon = subprocess.Popen(
        case.enter + ['/lib/systemd/systemd-journald'], env=case.env,
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    case.daemons.append(daemon)
    case.env['JOURNALD_PID'] = str(daemon.pid)  # nsenter execs it: the daemon's own pid
    # Up when its journal file is there too: journald binds its socket first, and a reader
    # that opens the journal before its folder exists never finds the records.
    socket = inside(case, '/run/systemd/journal/socket')
    journals = inside(case, '/run/log/journal')

    def up():
        return os.path.exists(socket) and any(
            os.path.exists(os.path.join(journals, d, 'system.journal'))
            for d in (os.listdir(journals) if os.path.isdir(journals) else []))
    case.until(up, 'the journal\'s socket and file')


def umockdev(case, args, block):
    """`umockdev` starts a testbed that later processes see in place of the machine's
    devices; `umockdev add FILE` adds the devices a file describes (udev sees them plugged
    in), `umockdev remove SYSFS-PATH` unplugs one."""
    if not args:
        case.testbed = subprocess.Popen(
            case.enter + ['umockdev-wrapper', '/usr/bin/python3', '-c', TESTBED],
            cwd=case.root, env=case.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            text=True)
        case.daemons.append(case.testbed)
        case.env['UMOCKDEV_DIR'] = case.testbed.stdout.readline().strip()
        if not case.env['UMOCKDEV_DIR']:
            raise Failure('the umockdev testbed did not start')
        case.env['LD_PRELOAD'] = ' '.join(filter(None, [
            'libumockdev-preload.so.0', case.env.get('LD_PRELOAD')]))
        return
    verb, _, arg = args.partition(' ')
    case.testbed.stdin.write(f'{verb} {case.at(arg) if verb == "add" else arg}\n')
    case.testbed.stdin.flush()
    if case.testbed.stdout.readline().strip() != 'ok':
        raise Failure(f'the testbed did not {verb} {arg}')


STEPS = {'needs': needs, 'namespace': namespace, 'journald': journald, 'umockdev': umockdev}
