"""Steps that start the case's own D-Bus daemons and a mock service on them."""
import os
import subprocess

from .case import DEADLINE, Failure


def bus(case, args, block):
    start_bus(case, 'system', args)


def session(case, args, block):
    start_bus(case, 'session', args)


def start_bus(case, kind, config):
    """A private dbus-daemon for later steps: a permissive configuration that starts no
    services, or `config` under the root."""
    address = f'unix:path={case.tmp}/{kind}-bus'
    if not config:
        config = os.path.join(case.tmp, f'{kind}-bus.conf')
        with open(config, 'w') as out:
            out.write(f'<busconfig><type>{kind}</type><listen>{address}</listen>'
                      '<auth>EXTERNAL</auth><policy context="default"><allow user="*"/>'
                      '<allow own="*"/><allow send_destination="*"/>'
                      '<allow receive_sender="*"/></policy></busconfig>\n')
    else:
        config = case.at(config)
    daemon = subprocess.Popen(['dbus-daemon', '--nofork', '--nopidfile',
                               '--config-file=' + config, '--address=' + address],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    case.daemons.append(daemon)
    # Up when it answers the bus's own method (which every policy here allows), not when its
    # socket appears: a program that connects between bind and listen is refused and, as the
    # tool does, may not try again.
    env = dict(case.env, **{f'DBUS_{kind.upper()}_BUS_ADDRESS': address})
    get_id = ['gdbus', 'call', f'--{kind}', '--dest', 'org.freedesktop.DBus', '--object-path',
              '/org/freedesktop/DBus', '--method', 'org.freedesktop.DBus.GetId']

    def up():
        if daemon.poll() is not None:
            raise Failure(f'the private {kind} bus ended with {daemon.returncode}')
        return (os.path.exists(f'{case.tmp}/{kind}-bus') and
                subprocess.run(get_id, env=env, capture_output=True).returncode == 0)
    case.until(up, f'the private {kind} bus')
    case.env[f'DBUS_{kind.upper()}_BUS_ADDRESS'] = address


def mock(case, args, block):
    """A python3-dbusmock template on the session bus, once it owns its name; later shell
    steps find its call log in $MOCK_LOG and its pid in $MOCK_PID."""
    name, template, *parameters = args.split(' ', 2)
    log = os.path.join(case.tmp, 'mock.log')
    errors = open(os.path.join(case.tmp, 'mock.err'), 'w+')
    # Debian's interpreter: one earlier on the PATH may lack the module.
    daemon = subprocess.Popen(['/usr/bin/python3', '-m', 'dbusmock', '--session',
                               '--template', template, '-l', log] +
                              (['-p', parameters[0]] if parameters else []),
                              env=case.env, stdout=subprocess.DEVNULL, stderr=errors)
    case.daemons.append(daemon)
    # It owns its name before it has loaded its template; it answers once it has.
    ping = ['gdbus', 'call', '--session', '--dest', name, '--object-path', '/', '--timeout',
            str(DEADLINE), '--method', 'org.freedesktop.DBus.Peer.Ping']

    def up():
        if daemon.poll() is not None:
            errors.seek(0)
            raise Failure(f'the mock ended with {daemon.returncode}:\n{errors.read()}')
        return subprocess.run(ping, env=case.env, capture_output=True).returncode == 0
    case.until(up, f'{name} on the session bus')
    case.env.update(MOCK_LOG=log, MOCK_PID=str(daemon.pid))


STEPS = {'bus': bus, 'session': session, 'mock': mock}
