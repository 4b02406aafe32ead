"""Every step of the format, by its verb: each a function (case, arguments, expected block)."""
from . import buses, files, namespaces, runs, shell

STEPS = {**files.STEPS, **runs.STEPS, **buses.STEPS, **namespaces.STEPS, **shell.STEPS}
