"""The case file format (docs/testing.md): the one reader of it, for running the cases, for
rewriting their blocks and for telling ctest what tests there are."""
import os
import re

# The steps that start a run of the tool: a case lasts about as long as its runs wait out
# their exit delays, so their number is the case's cost.
RUN_VERBS = ('run', 'start', 'start-ids')
# A case's name is part of a ctest test's name and of its command line.
NAME = re.compile(r'[A-Za-z0-9_.-]+')


def parse(path):
    """The cases of a file: name -> (line number, [(line number, step, [block lines])])."""
    cases, steps = {}, None
    for number, line in enumerate(open(path, encoding='utf-8').read().split('\n'), 1):
        if line.startswith('case '):
            steps = []
            cases[line[5:].strip()] = (number, steps)
        elif line.startswith('    > ') and steps and steps[-1][1].startswith('$') and \
                not steps[-1][2]:
            steps[-1][1] += '\n' + line[6:]  # a shell command continued, as in cram
        elif line.startswith('    ') and steps:
            steps[-1][2].append(line[4:].rstrip())
        elif line.startswith('  ') and line.strip() and not line.lstrip().startswith('#'):
            if steps is None:
                raise SystemExit(f'{path}:{number}: a step outside a case')
            steps.append([number, line.strip(), []])
    return cases


def labels(topic):
    """The ctest labels of a file's cases beside `case`."""
    # The install cases check what the build installs and packs, as the configure check
    # does: the same for every build, so ./test runs them in one (label build).
    if topic == 'install':
        return ['case', 'build']
    # The cases of the live services run them against this machine's own; a case skips
    # (status 77) where the machine lacks a kernel feature it needs.
    if topic.startswith('live-'):
        return ['case', 'live']
    return ['case']


def listing(path):
    """A line for each case of a file: topic, name, labels (by commas) and its runs of the
    tool, separated by tabs."""
    topic = os.path.splitext(os.path.basename(path))[0]
    lines = []
    for name, (number, steps) in parse(path).items():
        if not NAME.fullmatch(name):
            raise SystemExit(f'{path}:{number}: a case name of letters, digits and ._- only')
        runs = sum(step.partition(' ')[0] in RUN_VERBS for _, step, _ in steps)
        lines.append('\t'.join([topic, name, ','.join(labels(topic)), str(runs)]))
    return lines


def rewrite(path, blocks):
    """Replaces the block of each step in `blocks` (by line number) with its new lines."""
    out, pending, skipping = [], None, False
    for number, line in enumerate(open(path, encoding='utf-8').read().split('\n'), 1):
        if pending is not None and not line.startswith('    > '):
            out += ['    ' + text for text in pending]  # after the command's continuations
            pending, skipping = None, True
        if pending is not None or (skipping and line.startswith('    ')):
            if pending is not None:
                out.append(line)
            continue
        skipping = False
        out.append(line)
        pending = blocks.get(number)
    open(path, 'w', encoding='utf-8').write('\n'.join(out))


def unescape(text):
    return text.encode('latin-1', 'backslashreplace').decode('unicode_escape')


def visible(text):
    """A text as expected blocks hold it: control characters in caret notation (^[ for ESC),
    so that they differ from the log's own \\xNN escapes, and trailing blanks as \\x20."""
    body = text.rstrip(' ')
    return re.sub(r'[\x00-\x1f\x7f]', lambda m: '^' + chr(ord(m.group()) ^ 0x40),
                  body) + '\\x20' * (len(text) - len(body))
