#include "SystemCallHooks.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>

namespace brelta::test::hooks {

namespace {
int g_failForks = 0;
size_t g_cutNextWrite = 0;
bool g_watchIoctl = false;
std::optional<int> g_ioctlAnswer;
std::vector<IoctlCall>* g_ioctlCalls = nullptr;

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
}  // namespace

void FailForks(int count) {
    g_failForks = count;
}

void CutNextWrite(size_t bytes) {
    g_cutNextWrite = bytes;
}

void WatchIoctl(std::optional<int> answer) {
    g_watchIoctl = true;
    g_ioctlAnswer = answer;
    if (g_ioctlCalls == nullptr) g_ioctlCalls = new std::vector<IoctlCall>();
    g_ioctlCalls->clear();
}

std::vector<IoctlCall> IoctlCalls() {
    return g_ioctlCalls != nullptr ? *g_ioctlCalls : std::vector<IoctlCall>();
}

void Reset() {
    g_failForks = 0;
    g_cutNextWrite = 0;
    g_watchIoctl = false;
    g_ioctlAnswer.reset();
    if (g_ioctlCalls != nullptr) g_ioctlCalls->clear();
}

}  // namespace brelta::test::hooks

using namespace brelta::test::hooks;

extern "C" pid_t fork(void) noexcept {
    if (g_failForks > 0) {
        --g_failForks;
        errno = EAGAIN;
        return -1;
    }
    static auto real = Real<pid_t (*)(void)>("fork");
    return real();
}

extern "C" ssize_t write(int fd, const void* buffer, size_t count) {
    if (g_cutNextWrite > 0 && count > g_cutNextWrite) {
        count = g_cutNextWrite;
        g_cutNextWrite = 0;
    }
    static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    return real(fd, buffer, count);
}

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    if (g_watchIoctl) {
        IoctlCall call;
        call.fd = fd;
        call.request = request;
        call.argument = static_cast<int>(reinterpret_cast<uintptr_t>(argument));
        int flags = fcntl(fd, F_GETFL);
        call.accessMode = flags < 0 ? -1 : (flags & O_ACCMODE);
        int fdFlags = fcntl(fd, F_GETFD);
        call.closeOnExec = fdFlags >= 0 && (fdFlags & FD_CLOEXEC) != 0;
        g_ioctlCalls->push_back(call);
        if (g_ioctlAnswer) return *g_ioctlAnswer;
    }
    static auto real = Real<int (*)(int, unsigned long, ...)>("ioctl");
    return real(fd, request, argument);
}
