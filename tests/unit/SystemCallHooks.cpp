#include "SystemCallHooks.h"

#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

namespace brelta::test::hooks {

namespace {
int g_failForks = 0;
size_t g_cutNextWrite = 0;
int g_folderReads = -1;  // not counting

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

void CountFolderReads() {
    g_folderReads = 0;
}

int FolderReads() {
    return g_folderReads;
}

void Reset() {
    g_failForks = 0;
    g_cutNextWrite = 0;
    g_folderReads = -1;
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

extern "C" DIR* opendir(const char* name) {
    if (g_folderReads >= 0) ++g_folderReads;
    static auto real = Real<DIR* (*)(const char*)>("opendir");
    return real(name);
}
