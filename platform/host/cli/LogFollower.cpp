#include "LogFollower.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace brelta::cli {

void LogFollower::Restart() {
    m_Offset = 0;
    m_Device = 0;
    m_Inode = 0;
    m_Partial.clear();
}

std::vector<std::string> LogFollower::ReadNew() {
    std::vector<std::string> lines;
    int fd = open(m_Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Restart();
        return lines;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return lines;
    }
    if (st.st_dev != m_Device || st.st_ino != m_Inode || st.st_size < m_Offset) {
        Restart();
        m_Device = st.st_dev;
        m_Inode = st.st_ino;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = pread(fd, buffer, sizeof buffer, m_Offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        m_Offset += n;
        m_Partial.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    std::string::size_type start = 0, newline;
    while ((newline = m_Partial.find('\n', start)) != std::string::npos) {
        lines.push_back(m_Partial.substr(start, newline - start));
        start = newline + 1;
    }
    m_Partial.erase(0, start);
    return lines;
}

}  // namespace brelta::cli
