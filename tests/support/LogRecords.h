#ifndef BRELTA_TESTS_LOGRECORDS_H
#define BRELTA_TESTS_LOGRECORDS_H

#include <string>
#include <vector>

namespace brelta::test {

struct LogRecord {
    std::string time;
    long pid = 0;
    char priority = '?';
    std::string tag;
    std::string message;  // the whole message, prefix "<file>: <function>(<line>) > " included
    // Parts of the prefix, when the message has one.
    std::string file;
    std::string function;
    int line = 0;
    std::string text;    // the message after the prefix
    double seconds = 0;  // time of day in seconds, for measuring delays between records
};

// The records of one log buffer file ($ROOT/log/main or $ROOT/log/system).
class LogRecords {
public:
    static LogRecords Load(const std::string& path);
    static bool ParseLine(const std::string& line, LogRecord* record);

    const std::vector<LogRecord>& All() const { return m_Records; }
    // Lines that did not parse as records (must stay empty).
    const std::vector<std::string>& Broken() const { return m_Broken; }
    // The message texts after the prefix, in order.
    std::vector<std::string> Texts() const;
    size_t Count(const std::string& text) const;

private:
    std::vector<LogRecord> m_Records;
    std::vector<std::string> m_Broken;
};

}  // namespace brelta::test

#endif
