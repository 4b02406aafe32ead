#ifndef BRELTA_HOST_LINESTREAM_H
#define BRELTA_HOST_LINESTREAM_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace brelta::host {

// Reads a line-oriented file of the device root (a log buffer, a journal) one line at a
// time, so that a file of any size is read in constant memory: a 3 GiB log is as cheap to
// hold as an empty one. The file may be hostile: a FIFO or device is refused without
// blocking, and a line longer than the limit is skipped and counted, never stored.
//
// Read once (the default), the file ends where it ends: a last line without its newline
// counts as a line. Followed, such a line waits for its newline, and a file that was
// replaced, shrank or went (a reset of the device root) is read again from its top. This is
// the one line follower of the project: the workbench's followers and the screen use it.
class LineStream {
public:
    enum class Result { Line, End, Error };
    static constexpr size_t kMaxLineBytes = 1024 * 1024;

    // `backlog` > 0 (followed only): a file, when it is opened, is taken up at most this many
    // bytes before its end, at the next line's start, and a follower that falls further
    // behind than four times as much skips ahead the same way: a 3 GiB log need not be read
    // whole to show its last records.
    explicit LineStream(std::string path, bool follow = false, size_t maxLine = kMaxLineBytes,
                        size_t backlog = 0);
    ~LineStream();
    LineStream(LineStream&& other) noexcept;
    LineStream(const LineStream&) = delete;
    LineStream& operator=(const LineStream&) = delete;
    LineStream& operator=(LineStream&&) = delete;

    // The next line, without its newline. End: nothing more for now (a missing file is an
    // empty one). Error: the file cannot be read; ErrorText() says why.
    Result Next(std::string* line);

    const std::string& Path() const { return m_Path; }
    const std::string& ErrorText() const { return m_Error; }
    // Lines skipped for being longer than the limit, so far.
    size_t TooLong() const { return m_TooLong; }
    // Followed: how often the file was taken up afresh (replaced, shrunk, gone, or skipped
    // ahead): a reader that keeps what it read starts over when this changes.
    size_t Restarts() const { return m_Restarts; }

    // Every line there is now, and whether the file was taken up afresh meanwhile; a file
    // that cannot be read gives what came before the failure.
    struct Batch {
        std::vector<std::string> lines;
        bool restarted = false;
    };
    Batch ReadAvailable();

private:
    bool OpenFile();
    void Close();
    // Followed: true when the path now names another file, or a shorter one.
    bool Replaced() const;
    // Reads the next chunk into the buffer; false at the end or on an error.
    bool Fill();

    // Followed with a backlog: moves to the start of a line at most the backlog before the
    // end.
    void SkipAhead(off_t size);

    std::string m_Path;
    bool m_Follow;
    size_t m_MaxLine;
    size_t m_Backlog;
    size_t m_Restarts = 0;
    // Taken up in the middle of a line: what comes before the next newline is no line.
    bool m_Partial = false;
    int m_Fd = -1;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
    off_t m_Offset = 0;
    std::string m_Buffer;
    size_t m_Start = 0;  // of the unread part of m_Buffer
    // True while the rest of an over-long line is being passed over.
    bool m_Skipping = false;
    size_t m_TooLong = 0;
    std::string m_Error;
};

}  // namespace brelta::host

#endif
