#include "Commands.h"

#include <dlog.h>
#include <sys/time.h>

#include <cstring>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "CliError.h"
#include "Follow.h"
#include "log/JournalLog.h"
#include "JournalRecords.h"
#include "Services.h"
#include "LogMerge.h"
#include "LogSource.h"
#include "log/LogRecord.h"
#include "log/LogWriter.h"
#include "Output.h"
#include "base/VisibleText.h"

namespace brelta::cli {

using host::LogWriter;

namespace {
// The buffers a person can name; the tool writes main and system.
constexpr int kBuffers[] = {LOG_ID_MAIN, LOG_ID_RADIO, LOG_ID_SYSTEM, LOG_ID_APPS};
constexpr int kDefaultBuffers[] = {LOG_ID_MAIN, LOG_ID_SYSTEM};
constexpr const char kPriorities[] = "VDIWEF";

using Record = BufferRecord;

std::string Stamp(long long seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm tm;
    gmtime_r(&t, &tm);
    char text[32];
    strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    return text;
}

// --since: a time stamp or its leading part (2026-12-05, 2026-12-05T13:46, with a blank for
// the T), or an age such as 10m (s, m, h or d) before now. The text that records' time stamps
// are compared with.
std::optional<std::string> SinceStamp(std::string text) {
    if (!text.empty() && text[0] == '-') text.erase(0, 1);
    if (text.size() >= 2 && std::strchr("smhd", text.back()) != nullptr &&
        text.find_first_not_of("0123456789", 0) == text.size() - 1 && text.size() <= 10) {
        long long unit = text.back() == 's'   ? 1
                         : text.back() == 'm' ? 60
                         : text.back() == 'h' ? 3600
                                              : 86400;
        struct timeval now;
        gettimeofday(&now, nullptr);
        return Stamp(now.tv_sec - std::stoll(text.substr(0, text.size() - 1)) * unit);
    }
    if (text.size() > 10 && text[10] == ' ') text[10] = 'T';
    if (!text.empty() && text.back() == 'Z') text.pop_back();
    for (size_t length : {10, 13, 16, 19, 21, 22, 23})
        if (text.size() == length && host::LogRecord::IsStampPrefix(text)) return text;
    return std::nullopt;
}

// --priority: a letter or a name; its rank in kPriorities, or -1.
int PriorityRank(const std::string& text) {
    static const char* const kNames[] = {"verbose", "debug", "info", "warning", "error", "fatal"};
    for (int rank = 0; rank < 6; ++rank) {
        if (text.size() == 1 && (text[0] == kPriorities[rank] || text[0] == kPriorities[rank] + 32))
            return rank;
        if (text == kNames[rank] || (rank == 3 && text == "warn")) return rank;
    }
    return -1;
}

struct Filter {
    std::string since;
    int minRank = 0;
    std::set<std::string> tags;
    bool Passes(const Record& record) const {
        if (!since.empty() && record.time.compare(0, since.size(), since) < 0) return false;
        if (static_cast<int>(std::strchr(kPriorities, record.priority) - kPriorities) < minRank)
            return false;
        return tags.empty() || tags.count(record.tag) != 0;
    }
};

// The buffers of the device root's log, merged in time order (LogMerge), followed through
// the root's watch.
class FileRecords : public LogSource {
public:
    FileRecords(const std::vector<int>& buffers, bool follow) {
        for (int buffer : buffers) m_Merge.Add(buffer, follow);
    }
    // A buffer that cannot be read ends the command.
    void Drain(const Each& each) override {
        if (!m_Merge.Drain(each)) throw CliError::Failure("cannot read " + m_Merge.ErrorText());
    }
    void Follow(std::function<void()> changed) override {
        m_Watch = std::make_unique<cli::Follow>([changed](unsigned areas, const auto&) {
            if (areas & host::RootWatch::kLog) changed();
        });
    }
    void WarnSkipped() const override {
        for (const auto& [name, count] : m_Merge.Skipped())
            Output::Warn("skipped " + Output::Count(count, "line") + " of log/" + name +
                         " (not log records)");
    }

    // Whether a buffer's file holds a record (the first one found ends the look).
    static bool HoldsRecords(const std::vector<int>& buffers) {
        for (int buffer : buffers) {
            host::LineStream lines(LogWriter::BufferPath(buffer));
            std::string line;
            host::LogRecord record;
            while (lines.Next(&line) == host::LineStream::Result::Line)
                if (host::LogRecord::Parse(line, &record)) return true;
        }
        return false;
    }

private:
    host::LogMerge m_Merge;
    std::unique_ptr<cli::Follow> m_Watch;
};

// The journal when the log service is live and the journal is there; else the files, which
// are where a live service puts its records without a journal. When the source not read
// holds records of the root too, one line says which one is read: the usual read, where only
// one of them holds any, stays quiet.
std::unique_ptr<LogSource> Source(const std::vector<int>& buffers, bool follow) {
    std::vector<std::string> names;
    for (int buffer : buffers) names.push_back(LogWriter::BufferName(buffer));
    std::string why;
    bool journal = host::JournalLog::Reachable(&why);
    if (host::Services::IsLive(host::Service::Log)) {
        if (journal) {
            if (FileRecords::HoldsRecords(buffers))
                Output::Warn(
                    "reading the systemd journal, as log is live; the device root's "
                    "log/ holds records too (read with log emulated)");
            return std::make_unique<JournalRecords>(names);
        }
        Output::Warn("log is live but there is no systemd journal (" + why +
                     "): reading the device root's log");
    } else if (journal && JournalRecords::HoldsRecords(names)) {
        Output::Warn(
            "reading the device root's log, as log is emulated; the systemd journal "
            "holds records of the root too (read with log live)");
    }
    return std::make_unique<FileRecords>(buffers, follow);
}

void Show(const Record& record, bool json) {
    if (!json) {
        // Records are escaped by their writer; a hand-made line may still hold raw controls.
        Output::Print(host::VisibleText::Escape(record.line) + "\n");
        return;
    }
    Output::Object object;
    object["buffer"] = record.buffer;
    object["time"] = record.time;
    object["pid"] = record.pid;
    object["priority"] = std::string(1, record.priority);
    object["tag"] = record.tag;
    object["message"] = record.message;
    // The tool's "<file>: <function>(<line>) > " taken apart, null for another message.
    auto part = [&record](const auto& value) {
        return record.HasSource() ? Output::Object(value) : Output::Object();
    };
    object["file"] = part(record.file);
    object["function"] = part(record.function);
    object["line"] = part(record.sourceLine);
    object["text"] = part(record.text);
    Output::PrintJson(object);
}
}  // namespace

int Log(const Arguments& args) {
    Filter filter;
    if (args.Has("since")) {
        std::optional<std::string> since = SinceStamp(args.Value("since"));
        if (!since)
            throw CliError::Usage("'" + args.Value("since") +
                                  "' is not a time (2026-12-05T13:46) or an age (10m)");
        filter.since = *since;
    }
    if (args.Has("priority")) {
        filter.minRank = PriorityRank(args.Value("priority"));
        if (filter.minRank < 0)
            throw CliError::Usage("'" + args.Value("priority") +
                                  "' is not a priority (V D I W E F, or verbose ... fatal)");
    }
    for (const std::string& tag : args.Values("tag")) filter.tags.insert(tag);
    long long last = args.Count("lines", "records", -1);
    bool follow = args.Has("follow"), json = args.Has("json");

    std::vector<int> buffers;
    for (const std::string& name : args.Operands()) {
        int found = -1;
        for (int buffer : kBuffers)
            if (name == LogWriter::BufferName(buffer)) found = buffer;
        if (found < 0)
            throw CliError::Usage("unknown buffer '" + name + "' (main, radio, system or apps)");
        for (int buffer : buffers)
            if (buffer == found) throw CliError::Usage("buffer '" + name + "' named twice");
        buffers.push_back(found);
    }
    if (buffers.empty()) buffers.assign(std::begin(kDefaultBuffers), std::end(kDefaultBuffers));

    std::unique_ptr<LogSource> source = Source(buffers, follow);
    // Watched before the first read, so that nothing written in between waits for the next
    // change; the changes are taken only once the loop runs, after what is there now is shown.
    if (follow)
        source->Follow([&source, &filter, json]() {
            source->Drain([&](const Record& record) {
                if (filter.Passes(record)) Show(record, json);
            });
            Output::Flush();
        });
    // -n keeps only the last N records seen, so that its memory stays bounded too.
    std::deque<Record> tail;
    source->Drain([&](const Record& record) {
        if (!filter.Passes(record)) return;
        if (last < 0) return Show(record, json);
        tail.push_back(record);
        if (static_cast<long long>(tail.size()) > last) tail.pop_front();
    });
    for (const Record& record : tail) Show(record, json);
    source->WarnSkipped();
    if (!follow) return 0;
    Output::Flush();
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}

}  // namespace brelta::cli
