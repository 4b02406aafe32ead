#ifndef BRELTA_SCREEN_LINETAIL_H
#define BRELTA_SCREEN_LINETAIL_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace brelta::screen {

// Follows a file that grows by whole lines (a log buffer, a journal): each Read returns the
// complete lines appended since the one before. Nothing under the device root is trusted,
// so a read never blocks (a FIFO or a device in the file's place reads as no file), never
// holds more than a bounded amount in memory, and a file that shrank or was replaced (a reset
// of the root) is taken up again from its tail.
class LineTail {
public:
    // A file first seen, or seen again after it was replaced, is taken up at most `backlog`
    // bytes before its end: a 3 GiB log must not be read whole to show its last records.
    explicit LineTail(std::string path, size_t backlog = 256 * 1024)
        : m_Path(std::move(path)), m_Backlog(backlog) {}

    struct Lines {
        std::vector<std::string> lines;
        // The lines do not follow those of the Read before: the file was replaced, shrank, or
        // grew by more than this follower keeps up with.
        bool restarted = false;
    };
    Lines Read();

    // A line longer than this without its newline is handed out cut at this length.
    static constexpr size_t kMaxLine = 64 * 1024;

private:
    void Restart(off_t size, Lines* out);

    std::string m_Path;
    size_t m_Backlog;
    bool m_Open = false;
    off_t m_Offset = 0;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
    // Taken up in the middle of a line: what comes before the next newline is not a record.
    bool m_SkipToNewline = false;
    std::string m_Partial;
};

}  // namespace brelta::screen

#endif
