#ifndef BRELTA_TESTS_LOGRECORDS_H
#define BRELTA_TESTS_LOGRECORDS_H

#include <string>
#include <vector>

#include "log/LogRecord.h"

namespace brelta::test {

// Parsed as every reader of the log parses it.
using LogRecord = host::LogRecord;

// The records of one log buffer file ($ROOT/log/main or $ROOT/log/system).
class LogRecords {
public:
    static LogRecords Load(const std::string& path);

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
