#ifndef BRELTA_TESTS_SYSTEMCALLHOOKS_H
#define BRELTA_TESTS_SYSTEMCALLHOOKS_H

#include <sys/types.h>

// The unit-test binary defines fork, write and opendir itself, so that a test can make them
// fail or count them: the code under test calls them by name and the executable's definition
// wins. They pass every call on to the C library unless a test asks otherwise.
namespace brelta::test::hooks {

// The next `count` forks fail with EAGAIN, as when the process limit is reached.
void FailForks(int count);

// The next write of more than `bytes` bytes writes only that many, as on a full disk.
void CutNextWrite(size_t bytes);

// Counts the folders opened for reading (opendir) from now on.
void CountFolderReads();
int FolderReads();

// Back to passing everything through.
void Reset();

}  // namespace brelta::test::hooks

#endif
