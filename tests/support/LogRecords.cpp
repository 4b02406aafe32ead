#include "LogRecords.h"

#include <fstream>

namespace brelta::test {

LogRecords LogRecords::Load(const std::string& path) {
    LogRecords records;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        LogRecord record;
        if (LogRecord::Parse(line, &record))
            records.m_Records.push_back(record);
        else
            records.m_Broken.push_back(line);
    }
    return records;
}

std::vector<std::string> LogRecords::Texts() const {
    std::vector<std::string> texts;
    for (const LogRecord& r : m_Records) texts.push_back(r.text);
    return texts;
}

size_t LogRecords::Count(const std::string& text) const {
    size_t n = 0;
    for (const LogRecord& r : m_Records) n += r.text == text;
    return n;
}

}  // namespace brelta::test
