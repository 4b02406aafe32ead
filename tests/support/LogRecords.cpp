#include "LogRecords.h"

#include <cstdlib>
#include <fstream>
#include <cctype>

namespace brelta::test {

bool LogRecords::ParseLine(const std::string& line, LogRecord* record) {
    // "<YYYY-MM-DDTHH:MM:SS.mmmZ> <pid> <P>/<TAG>: <message>", parsed by hand: messages can
    // be long enough to overflow the stack of a regular-expression matcher.
    if (line.size() < 24 || line[10] != 'T' || line[19] != '.' || line[23] != 'Z' ||
        line.size() < 25 || line[24] != ' ')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 22})
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    record->time = line.substr(0, 24);
    record->seconds = std::stoi(line.substr(11, 2)) * 3600.0 +
                      std::stoi(line.substr(14, 2)) * 60.0 + std::stod(line.substr(17, 6));
    std::string::size_type pidEnd = line.find(' ', 25);
    if (pidEnd == std::string::npos || pidEnd == 25) return false;
    for (std::string::size_type i = 25; i < pidEnd; ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    record->pid = std::stol(line.substr(25, pidEnd - 25));
    if (line.size() < pidEnd + 3 || line[pidEnd + 2] != '/') return false;
    record->priority = line[pidEnd + 1];
    if (std::string("VDIWEF").find(record->priority) == std::string::npos) return false;
    std::string::size_type tagEnd = line.find(": ", pidEnd + 3);
    if (tagEnd == std::string::npos) return false;
    record->tag = line.substr(pidEnd + 3, tagEnd - pidEnd - 3);
    record->message = line.substr(tagEnd + 2);
    // "<file>: <function>(<line>) > <text>"; the function may itself hold "(...)".
    const std::string& msg = record->message;
    std::string::size_type colon = msg.find(": ");
    std::string::size_type arrow = msg.find(") > ");
    if (arrow == std::string::npos && msg.size() >= 3 && msg.compare(msg.size() - 3, 3, ") >") == 0)
        arrow = msg.size() - 3;
    if (colon != std::string::npos && arrow != std::string::npos && arrow > colon) {
        std::string::size_type open = msg.rfind('(', arrow);
        if (open != std::string::npos && open > colon) {
            record->file = msg.substr(0, colon);
            record->function = msg.substr(colon + 2, open - colon - 2);
            record->line = std::atoi(msg.substr(open + 1, arrow - open - 1).c_str());
            record->text = arrow + 4 <= msg.size() ? msg.substr(arrow + 4) : "";
        }
    }
    return true;
}

LogRecords LogRecords::Load(const std::string& path) {
    LogRecords records;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        LogRecord record;
        if (ParseLine(line, &record))
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
