"""The command line of tests/run-cases."""
import argparse
import concurrent.futures
import os

from .case import Case
from .parse import listing, parse, rewrite
from .steps import STEPS

USAGE = '''run-cases [--bin DIR] [--update] FILE.t [CASE ...]
       run-cases --list FILE.t ...'''


def main(description):
    parser = argparse.ArgumentParser(usage=USAGE, description=description)
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument('--bin', default=os.environ.get('BRELTA_BIN',
                                                        os.path.join(here, '..', 'build', 'bin')))
    parser.add_argument('--list', action='store_true',
                        help='print a line for each case of the files, for ctest: its topic, '
                             'name, labels (by commas) and runs of the tool, by tabs')
    parser.add_argument('--update', action='store_true',
                        help='write what the steps produce into their blocks (then read the diff)')
    parser.add_argument('file')
    parser.add_argument('cases', nargs='*')
    options = parser.parse_args()
    if options.list:
        for path in [options.file] + options.cases:
            for line in listing(path):
                print(line)
        return 0
    cases = parse(options.file)
    names = options.cases or list(cases)
    for name in names:
        if name not in cases:
            raise SystemExit(f'{options.file}: no case {name!r}')

    blocks = {}

    def one(name):
        case = Case(options.file, name, options.bin)
        if options.update:
            case.update = blocks
        return name, case.run(cases[name][1], STEPS)

    verdicts = {'ok': 0, 'FAIL': 0, 'skip': 0}
    with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
        for name, (verdict, text) in pool.map(one, names):
            print(f'{verdict:4} {name}' + (f'\n{text}' if text else ''))
            verdicts[verdict] += 1
    if options.update:
        rewrite(options.file, blocks)
    skipped = f', {verdicts["skip"]} skipped' if verdicts['skip'] else ''
    print(f'{verdicts["ok"]} passed, {verdicts["FAIL"]} failed{skipped}')
    # 77: ctest's mark of a skipped test (SKIP_RETURN_CODE).
    return 1 if verdicts['FAIL'] else 77 if verdicts['skip'] else 0
