#include "LineStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brelta::host {

namespace {
constexpr size_t kChunkBytes = 64 * 1024;
}  // namespace

LineStream::LineStream(std::string path, bool follow, size_t maxLine, size_t backlog)
    : m_Path(std::move(path)), m_Follow(follow), m_MaxLine(maxLine), m_Backlog(backlog) {}

LineStream::~LineStream() {
    Close();
}

LineStream::LineStream(LineStream&& other) noexcept
    : m_Path(std::move(other.m_Path)),
      m_Follow(other.m_Follow),
      m_MaxLine(other.m_MaxLine),
      m_Backlog(other.m_Backlog),
      m_Restarts(other.m_Restarts),
      m_Partial(other.m_Partial),
      m_Fd(other.m_Fd),
      m_Device(other.m_Device),
      m_Inode(other.m_Inode),
      m_Offset(other.m_Offset),
      m_Buffer(std::move(other.m_Buffer)),
      m_Start(other.m_Start),
      m_Skipping(other.m_Skipping),
      m_TooLong(other.m_TooLong),
      m_Error(std::move(other.m_Error)) {
    other.m_Fd = -1;
}

void LineStream::Close() {
    if (m_Fd >= 0) close(m_Fd);
    m_Fd = -1;
    m_Offset = 0;
    m_Buffer.clear();
    m_Start = 0;
    m_Skipping = false;
    m_Partial = false;
}

void LineStream::SkipAhead(off_t size) {
    if (m_Backlog == 0 || size - m_Offset <= static_cast<off_t>(m_Backlog)) return;
    m_Offset = size - static_cast<off_t>(m_Backlog);
    m_Buffer.clear();
    m_Start = 0;
    m_Skipping = false;
    m_Partial = true;
}

bool LineStream::OpenFile() {
    // Non-blocking, so that a FIFO planted in the file's place cannot stall the open; it is
    // refused right after, as anything else that is not a regular file.
    m_Fd = open(m_Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_Fd < 0) {
        if (errno != ENOENT) m_Error = m_Path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(m_Fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_Error = m_Path + ": not a regular file";
        Close();
        return false;
    }
    m_Device = st.st_dev;
    m_Inode = st.st_ino;
    if (m_Follow) SkipAhead(st.st_size);
    return true;
}

bool LineStream::Replaced() const {
    struct stat byPath, open;
    if (stat(m_Path.c_str(), &byPath) != 0) return true;
    if (byPath.st_dev != m_Device || byPath.st_ino != m_Inode) return true;
    return fstat(m_Fd, &open) == 0 && open.st_size < m_Offset;
}

bool LineStream::Fill() {
    if (m_Start > 0) {
        m_Buffer.erase(0, m_Start);
        m_Start = 0;
    }
    size_t had = m_Buffer.size();
    m_Buffer.resize(had + kChunkBytes);
    ssize_t n;
    do {
        n = pread(m_Fd, &m_Buffer[had], kChunkBytes, m_Offset);
    } while (n < 0 && errno == EINTR);
    m_Buffer.resize(had + (n > 0 ? static_cast<size_t>(n) : 0));
    if (n < 0) m_Error = m_Path + ": " + std::strerror(errno);
    if (n <= 0) return false;
    m_Offset += n;
    return true;
}

LineStream::Result LineStream::Next(std::string* line) {
    m_Error.clear();
    if (m_Fd < 0 && !OpenFile()) return m_Error.empty() ? Result::End : Result::Error;
    for (;;) {
        size_t newline = m_Buffer.find('\n', m_Start);
        if (newline != std::string::npos) {
            bool skipped = m_Skipping || m_Partial;
            m_Partial = false;
            if (!skipped) line->assign(m_Buffer, m_Start, newline - m_Start);
            m_Start = newline + 1;
            m_Skipping = false;
            if (!skipped) return Result::Line;
            continue;
        }
        if (m_Buffer.size() - m_Start > m_MaxLine) {
            // Too long to be a record: pass over the rest of it without keeping it.
            if (!m_Skipping) ++m_TooLong;
            m_Skipping = true;
            m_Buffer.clear();
            m_Start = 0;
        }
        if (Fill()) continue;
        if (!m_Error.empty()) return Result::Error;
        if (m_Follow) {
            if (Replaced()) {
                ++m_Restarts;
                Close();
                if (!OpenFile()) return m_Error.empty() ? Result::End : Result::Error;
                continue;
            }
            return Result::End;
        }
        if (m_Start < m_Buffer.size() && !m_Skipping) {
            line->assign(m_Buffer, m_Start, std::string::npos);
            m_Start = m_Buffer.size();
            return Result::Line;
        }
        return Result::End;
    }
}

LineStream::Batch LineStream::ReadAvailable() {
    Batch batch;
    size_t restarts = m_Restarts;
    struct stat st;
    // Too far behind to catch up line by line: taken up again near the end.
    if (m_Follow && m_Backlog > 0 && m_Fd >= 0 && fstat(m_Fd, &st) == 0 &&
        st.st_size - m_Offset > 4 * static_cast<off_t>(m_Backlog)) {
        SkipAhead(st.st_size);
        ++m_Restarts;
    }
    std::string line;
    while (Next(&line) == Result::Line) batch.lines.push_back(std::move(line));
    batch.restarted = m_Restarts != restarts;
    return batch;
}

}  // namespace brelta::host
