#include "base/ProcessStart.h"

#include <pthread.h>
#include <signal.h>

namespace brelta::host {

namespace {
void Unused(int) {}
}  // namespace

void PrepareProcess(BrokenPipe pipe) {
    struct sigaction caught = {};
    caught.sa_handler = Unused;
    sigemptyset(&caught.sa_mask);
    sigaction(SIGXFSZ, &caught, nullptr);
    if (pipe == BrokenPipe::kFails)
        sigaction(SIGPIPE, &caught, nullptr);
    else
        signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
}

}  // namespace brelta::host
