#include "LogMerge.h"

#include "log/LogWriter.h"

namespace brelta::host {

void LogMerge::Add(int buffer, bool follow, size_t backlog) {
    m_Sources.push_back(Source{
        LogWriter::BufferName(buffer),
        LineStream(LogWriter::BufferPath(buffer), follow, LineStream::kMaxLineBytes, backlog),
        {},
        0,
        0});
}

LineStream::Result LogMerge::Advance(Source& source) {
    std::string line;
    for (;;) {
        LineStream::Result result = source.lines.Next(&line);
        if (result != LineStream::Result::Line) return result;
        Record record;
        if (LogRecord::Parse(line, &record)) {
            record.buffer = source.name;
            source.ahead = std::move(record);
            return result;
        }
        ++source.broken;
    }
}

bool LogMerge::Drain(const std::function<void(const Record&)>& each) {
    m_Error.clear();
    // A buffer that cannot be read sits this drain out; the others are merged without it.
    std::vector<bool> failed(m_Sources.size(), false);
    for (;;) {
        Source* best = nullptr;
        for (size_t i = 0; i < m_Sources.size(); ++i) {
            Source& source = m_Sources[i];
            if (failed[i]) continue;
            if (!source.ahead) {
                LineStream::Result result = Advance(source);
                if (result == LineStream::Result::Error) {
                    failed[i] = true;
                    if (m_Error.empty()) m_Error = source.lines.ErrorText();
                }
                if (result != LineStream::Result::Line) continue;
            }
            // Time stamps of one form sort as text.
            if (best == nullptr || source.ahead->time < best->ahead->time) best = &source;
        }
        if (best == nullptr) return m_Error.empty();
        each(*best->ahead);
        best->ahead.reset();
    }
}

bool LogMerge::Restarted() {
    bool restarted = false;
    for (Source& source : m_Sources) {
        restarted = restarted || source.lines.Restarts() != source.restarts;
        source.restarts = source.lines.Restarts();
    }
    return restarted;
}

std::vector<std::pair<std::string, size_t>> LogMerge::Skipped() const {
    std::vector<std::pair<std::string, size_t>> skipped;
    for (const Source& source : m_Sources) {
        size_t count = source.broken + source.lines.TooLong();
        if (count > 0) skipped.emplace_back(source.name, count);
    }
    return skipped;
}

}  // namespace brelta::host
