// The host platform's preparation of the tool's process, before main runs (linked into the
// tool only: the workbench CLI keeps the usual signal defaults, so that `| head` ends it).
//
// Whoever starts the tool may leave signal dispositions behind that change how a run ends
// and what it records: a standard error whose reader has gone (SIGPIPE on GLib's warning
// kills the process before its records are written), a file-size limit (SIGXFSZ kills it at
// the next log record past the limit), an ignored SIGCHLD (children are reaped at once, so
// system() cannot report the MDT program's status), blocked signals. The entry point's steps
// are fixed, so the platform sets these here.
#include <signal.h>

#include <pthread.h>

namespace {
void Unused(int) {}

void UnblockAll() {
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
}

__attribute__((constructor)) void PrepareProcess() {
    // Caught, not ignored: exec resets a handler to the default, so the MDT program does not
    // inherit these (GIO ignores SIGPIPE itself once it has set up a bus connection). The
    // writes fail instead (EPIPE, EFBIG), like a full disk.
    struct sigaction action = {};
    action.sa_handler = Unused;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
    sigaction(SIGXFSZ, &action, nullptr);
    signal(SIGCHLD, SIG_DFL);
    UnblockAll();
    // A child of the tool (MDT's) starts with nothing blocked too: a fork can come while the
    // thread is inside one of GLib's windows that block every signal (seen now and then as an
    // MDT program started with all signals blocked).
    pthread_atfork(nullptr, nullptr, UnblockAll);
}
}  // namespace
