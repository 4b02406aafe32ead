#ifndef BRELTA_TESTS_SYSTEMCALLHOOKS_H
#define BRELTA_TESTS_SYSTEMCALLHOOKS_H

#include <sys/types.h>

#include <optional>
#include <vector>

// The unit-test binary defines fork, ioctl and write itself, so that a test can make them fail or
// watch them: the tool's code calls them by name and the executable's definition wins. They
// pass every call on to the C library unless a test asks otherwise.
namespace brelta::test::hooks {

// The next `count` forks fail with EAGAIN, as when the process limit is reached.
void FailForks(int count);

// The next write of more than `bytes` bytes writes only that many, as on a full disk.
void CutNextWrite(size_t bytes);

struct IoctlCall {
    int fd = -1;
    unsigned long request = 0;
    int argument = 0;
    int accessMode = -1;  // O_RDONLY, O_WRONLY or O_RDWR of the descriptor
    bool closeOnExec = false;
};
// Starts recording ioctl calls; with an answer, they return it without reaching the kernel.
void WatchIoctl(std::optional<int> answer = std::nullopt);
std::vector<IoctlCall> IoctlCalls();

// Back to passing everything through, with nothing recorded.
void Reset();

}  // namespace brelta::test::hooks

#endif
