#include "LogCommand.h"

#include <unistd.h>

#include <cstdio>

#include "CliError.h"
#include "LogFollower.h"
#include "LogWriter.h"

namespace brelta::cli {

namespace {
constexpr int kMainBuffer = 0;
constexpr int kSystemBuffer = 2;
// A record starts with its time stamp, "2026-12-05T13:46:45.123Z", which sorts as text.
constexpr size_t kStampLength = 24;
constexpr useconds_t kPollMicroseconds = 100 * 1000;
}  // namespace

const char* LogCommand::Usage() const {
    return "  log [main|system] [-f]        print the log records (both buffers unless one is\n"
           "                                named); -f: go on printing new ones, until ^C\n";
}

std::vector<std::string> LogCommand::Merge(const std::vector<std::vector<std::string>>& buffers) {
    std::vector<std::string> merged;
    std::vector<size_t> next(buffers.size(), 0);
    for (;;) {
        int best = -1;
        for (size_t b = 0; b < buffers.size(); ++b) {
            if (next[b] >= buffers[b].size()) continue;
            if (best < 0 || buffers[b][next[b]].compare(0, kStampLength, buffers[best][next[best]],
                                                        0, kStampLength) < 0)
                best = static_cast<int>(b);
        }
        if (best < 0) return merged;
        merged.push_back(buffers[best][next[best]++]);
    }
}

int LogCommand::Run(const std::vector<std::string>& args) {
    bool follow = false;
    std::vector<int> buffers;
    for (const std::string& word : args) {
        if (word == "-f" || word == "--follow")
            follow = true;
        else if (buffers.empty() && (word == "main" || word == "system"))
            buffers.push_back(word == "main" ? kMainBuffer : kSystemBuffer);
        else
            throw CliError::Usage("unexpected '" + word + "'; usage: brelta-device log " +
                                  "[main|system] [-f]");
    }
    if (buffers.empty()) buffers = {kMainBuffer, kSystemBuffer};

    std::vector<LogFollower> followers;
    for (int buffer : buffers) followers.emplace_back(host::LogWriter::BufferPath(buffer));
    for (;;) {
        std::vector<std::vector<std::string>> fresh;
        for (LogFollower& follower : followers) fresh.push_back(follower.ReadNew());
        for (const std::string& line : Merge(fresh)) Print(line + "\n");
        if (!follow) return 0;
        // A reader at the other end of a pipe sees each record as it comes.
        std::fflush(stdout);
        usleep(kPollMicroseconds);
    }
}

}  // namespace brelta::cli
