// The tool's process start, before its main runs (linked into the tool only): its entry
// point's steps are fixed, so the platform prepares the process here. Whoever starts the tool
// may leave signal state behind that changes how a run ends and what it records: a standard
// error whose reader has gone (SIGPIPE at GLib's warning would kill the process before its
// records are written), a file-size limit, an ignored SIGCHLD (system() could not report the
// MDT program's status), blocked signals.
#include "base/ProcessStart.h"

namespace {
__attribute__((constructor)) void PrepareTool() {
    brelta::host::PrepareProcess(brelta::host::BrokenPipe::kFails);
}
}  // namespace
