"""The runner of the end-to-end cases of tests/cases/*.t (the entry point is tests/run-cases).

parse       the file format: cases, their steps and blocks, and what ctest needs of each
case        one case on a device root of its own: its environment, comparing, reading the
            root, running the steps in order and ending what they started
files, runs, buses, namespaces, shell
            the steps, by what they act on (steps.py maps each verb to its function)
main        the command line
"""
