#ifndef BRELTA_TESTS_TASKRECORDS_H
#define BRELTA_TESTS_TASKRECORDS_H

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "LogRecords.h"

namespace brelta::test {

// The texts of the records written by the given source files, in order (of one process when
// pid != 0): a task's story without the start-up records of the rest of the tool.
std::vector<std::string> TextsFrom(const LogRecords& log, const std::set<std::string>& files,
                                   long pid = 0);

// Polls `done` every 20 ms until it is true or `seconds` have passed; returns the last answer.
bool WaitUntil(const std::function<bool()>& done, double seconds);

}  // namespace brelta::test

#endif
