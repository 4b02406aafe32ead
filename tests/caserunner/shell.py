"""Steps of shell commands in the case's root (and its namespaces, once it has some)."""
import subprocess

from .case import DEADLINE, Failure


def shell(case, command, block):
    try:
        result = subprocess.run(case.enter + ['/bin/sh', '-c', command], cwd=case.root,
                                env=case.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=DEADLINE)
    except subprocess.TimeoutExpired:
        raise Failure(f'did not end within {DEADLINE} s')
    case.compare(block, case.output(result.stdout, result.returncode), f'$ {command}')


def background(case, args, block):
    """A shell command left running in the root, ended with the case."""
    case.groups.append(subprocess.Popen(
        case.enter + ['/bin/sh', '-c', args], cwd=case.root, env=case.env,
        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True))


def cleanup(case, args, block):
    """A shell command run when the case ends, however it ends: in its namespaces, with the
    environment of now (a testbed started later must not stand in its way)."""
    case.cleanups.append((args, dict(case.env)))


STEPS = {'$': shell, 'background': background, 'cleanup': cleanup}
