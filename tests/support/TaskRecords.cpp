#include "TaskRecords.h"

#include <unistd.h>

#include "ToolRun.h"

namespace brelta::test {

std::vector<std::string> TextsFrom(const LogRecords& log, const std::set<std::string>& files,
                                   long pid) {
    std::vector<std::string> texts;
    for (const LogRecord& r : log.All())
        if (files.count(r.file) > 0 && (pid == 0 || r.pid == pid)) texts.push_back(r.text);
    return texts;
}

bool WaitUntil(const std::function<bool()>& done, double seconds) {
    double deadline = MonotonicSeconds() + seconds;
    while (!done()) {
        if (MonotonicSeconds() > deadline) return done();
        usleep(20000);
    }
    return true;
}

}  // namespace brelta::test
