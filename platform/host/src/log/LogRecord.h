#ifndef BRELTA_HOST_LOGRECORD_H
#define BRELTA_HOST_LOGRECORD_H

#include <string>

namespace brelta::host {

// One record of a log buffer, read back: the line that LogWriter::Record writes,
// "<time> <pid> <P>/<TAG>: <message>", taken apart. Every reader of the log (the workbench,
// the screen, the tests) parses with this one, so that a change of the format is made here
// and in the writer beside it, and nowhere else.
struct LogRecord {
    std::string line;  // as the file holds it
    std::string time;  // 2026-12-05T13:46:45.123Z, which sorts as text
    long long pid = 0;
    char priority = 'I';  // V D I W E F
    std::string tag;
    std::string message;  // the whole message, as written (controls as \xNN)

    // The tool's messages begin "<file>: <function>(<line>) > "; these are its parts when
    // the message has that prefix (HasSource()), and empty otherwise.
    std::string file;
    std::string function;
    int sourceLine = 0;
    std::string text;  // the message after the prefix

    bool HasSource() const { return !file.empty(); }
    // Milliseconds since the epoch of the time stamp.
    long long Milliseconds() const;

    // False for a line that is not a record (a torn one, one written by hand).
    static bool Parse(const std::string& line, LogRecord* record);
    // Sets the message and, when it has the tool's prefix, its parts (a record that was not
    // read from a line: one on its way to the journal, or back from it).
    void SetMessage(const std::string& whole);
    // A time stamp of the records' form, or its leading part (2026-12-05, 2026-12-05T13:46,
    // ... down to the milliseconds, without the Z), that names a real day and time of day.
    static bool IsStampPrefix(const std::string& text);
    static constexpr size_t kStampLength = 24;  // 2026-12-05T13:46:45.123Z
};

}  // namespace brelta::host

#endif
