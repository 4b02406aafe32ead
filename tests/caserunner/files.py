"""Steps on the device root's files and the environment: what a case sets up before its runs
(files, settings keys, fault scripts, USB devices, variables), waits for, and reads back."""
import os

from .parse import unescape, visible


def write(case, args, block):
    path, _, text = args.partition(' ')
    case.write(path, unescape(text.replace('$ROOT', case.root)))


def set_key(case, args, block):
    key, kind, value = args.split(' ', 2)
    case.write('settings/' + key, f'{kind} {unescape(value)}\n')


def fault(case, args, block):
    function, _, values = args.partition(' ')
    if values:
        case.write('faults/' + function, values + '\n')
    elif os.path.exists(case.at('faults/' + function)):
        os.unlink(case.at('faults/' + function))


def usb(case, args, block):
    directory, _, product = args.partition(' ')
    os.makedirs(case.at(directory), exist_ok=True)
    os.makedirs(case.at('usb'), exist_ok=True)
    with open(case.at('usb/devices'), 'a') as devices:
        devices.write(f'{case.at(directory)}\t{product}\n')


def env(case, args, block):
    name, _, value = args.partition('=')
    case.env[name] = value.replace('$ROOT', case.root)


def unset(case, args, block):
    case.env.pop(args, None)


def await_text(case, args, block):
    path, _, text = args.partition(' ')
    case.until(lambda: text in case.read(path), f'{text!r} in {path}')


def press(case, args, block):
    notification, event = args.split()
    post = f'"op":"post","id":{notification},'
    case.until(lambda: post in case.read('notifications/journal'), f'post {notification}')
    case.write(f'notifications/.press-{notification}', event + '\n')
    os.makedirs(case.at('notifications/input'), exist_ok=True)
    os.rename(case.at(f'notifications/.press-{notification}'),
              case.at(f'notifications/input/{notification}'))


def keys(case, args, block):
    lines = []
    base = case.at('settings')
    for directory, dirs, files in os.walk(base):
        dirs.sort()
        for name in sorted(files):
            key = os.path.relpath(os.path.join(directory, name), base)
            if key.startswith(args):
                lines.append(visible(f'{key}: ' + case.read('settings/' + key).rstrip('\n')))
    case.compare(block, sorted(lines), 'settings keys')


def journal(case, args, block):
    case.compare(block, case.since('notifications/journal'), 'notifications/journal')


def launches(case, args, block):
    case.compare(block, case.since('apps/launches'), 'apps/launches')


STEPS = {'write': write, 'set': set_key, 'fault': fault, 'usb': usb, 'env': env, 'unset': unset,
         'await': await_text, 'press': press, 'keys': keys, 'journal': journal,
         'launches': launches}
