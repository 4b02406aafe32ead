#ifndef BRELTA_CLI_LOGFOLLOWER_H
#define BRELTA_CLI_LOGFOLLOWER_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace brelta::cli {

// Reads a log buffer file line by line as it grows, like tail -f: each call returns the
// complete lines appended since the call before. A file that shrank or was replaced (a reset
// of the device root) is read again from its start.
class LogFollower {
public:
    explicit LogFollower(std::string path) : m_Path(std::move(path)) {}
    std::vector<std::string> ReadNew();

private:
    void Restart();

    std::string m_Path;
    off_t m_Offset = 0;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
    // The start of a line whose newline has not been read yet.
    std::string m_Partial;
};

}  // namespace brelta::cli

#endif
