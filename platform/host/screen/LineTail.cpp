#include "LineTail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace brelta::screen {

void LineTail::Restart(off_t size, Lines* out) {
    out->restarted = m_Open;
    m_Open = true;
    m_Offset = size > static_cast<off_t>(m_Backlog) ? size - static_cast<off_t>(m_Backlog) : 0;
    m_SkipToNewline = m_Offset > 0;
    m_Partial.clear();
}

LineTail::Lines LineTail::Read() {
    Lines out;
    int fd = open(m_Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        // Gone (or never there): the next file of that name is a new one, read from its start.
        out.restarted = m_Open;
        m_Open = false;
        m_Offset = 0;
        m_Partial.clear();
        return out;
    }
    if (!m_Open || st.st_dev != m_Device || st.st_ino != m_Inode || st.st_size < m_Offset ||
        st.st_size - m_Offset > static_cast<off_t>(m_Backlog) * 4) {
        // A file seen for the first time is taken up from its tail; one that was replaced
        // since is new to the reader, so it is read from its start as far as the backlog goes.
        Restart(st.st_size, &out);
        m_Device = st.st_dev;
        m_Inode = st.st_ino;
    }
    char buffer[65536];
    while (m_Offset < st.st_size) {
        ssize_t n = pread(fd, buffer, sizeof buffer, m_Offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        m_Offset += n;
        for (ssize_t i = 0; i < n; ++i) {
            char c = buffer[i];
            if (c == '\n') {
                if (!m_SkipToNewline) out.lines.push_back(m_Partial);
                m_SkipToNewline = false;
                m_Partial.clear();
            } else if (!m_SkipToNewline) {
                m_Partial.push_back(c);
                if (m_Partial.size() >= kMaxLine) {
                    out.lines.push_back(m_Partial);
                    m_Partial.clear();
                    m_SkipToNewline = true;
                }
            }
        }
    }
    close(fd);
    return out;
}

}  // namespace brelta::screen
