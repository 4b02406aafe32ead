#ifndef BRELTA_HOST_LOGMERGE_H
#define BRELTA_HOST_LOGMERGE_H

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "LineStream.h"
#include "log/LogRecord.h"

namespace brelta::host {

// The log as a person reads it: the records of several buffers ($ROOT/log/<buffer>) as one
// sequence in time order, read once or followed. Lines that are no records (torn by a full
// disk, written by hand) are passed over and counted. The workbench's log command and the
// screen read the log through it.
class LogMerge {
public:
    struct Record : LogRecord {
        std::string buffer;  // the name of the buffer it was read from
    };

    // Reads the buffer (LogWriter's number) as LineStream does with `follow` and `backlog`.
    void Add(int buffer, bool follow, size_t backlog = 0);
    // Hands each record that is there now to `each`, in time order: a buffer's own order is
    // kept, and on equal times the buffer added first goes first. False when a buffer cannot
    // be read (ErrorText() says why of the first): the records of the others have all been
    // handed out.
    bool Drain(const std::function<void(const Record&)>& each);
    const std::string& ErrorText() const { return m_Error; }
    // Followed: whether a buffer was taken up afresh since the last call (LineStream's
    // Restarts): the records read before are gone from the files.
    bool Restarted();
    // The buffers with lines passed over so far: name, and how many.
    std::vector<std::pair<std::string, size_t>> Skipped() const;

private:
    struct Source {
        std::string name;
        LineStream lines;
        std::optional<Record> ahead;
        size_t broken = 0;
        size_t restarts = 0;
    };
    // Reads the source's next record into `ahead` (Line), or says why there is none: its end
    // for now, or an error.
    LineStream::Result Advance(Source& source);

    std::vector<Source> m_Sources;
    std::string m_Error;
};

}  // namespace brelta::host

#endif
