#include "log/LogRecord.h"

#include <cstring>
#include <ctime>

namespace brelta::host {

namespace {
constexpr const char kStampPattern[] = "dddd-dd-ddTdd:dd:dd.dddZ";
constexpr const char kPriorities[] = "VDIWEF";
// More digits than any pid_t holds; the parse must not overflow on a hostile line.
constexpr size_t kMaxPidDigits = 18;

bool Fits(const std::string& text, size_t length) {
    if (text.size() < length || length > sizeof kStampPattern - 1) return false;
    for (size_t i = 0; i < length; ++i) {
        char want = kStampPattern[i];
        bool ok = want == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == want;
        if (!ok) return false;
    }
    return true;
}

int Number(const std::string& text, size_t at, size_t length) {
    return std::stoi(text.substr(at, length));
}
}  // namespace

// "<file>: <function>(<line>) > <text>"; the function may itself hold "(...)", and a record
// with an empty text ends in ") >".
void LogRecord::SetMessage(const std::string& whole) {
    message = whole;
    file.clear();
    function.clear();
    sourceLine = 0;
    text.clear();
    const std::string& msg = message;
    size_t colon = msg.find(": ");
    size_t arrow = msg.find(") > ");
    if (arrow == std::string::npos && msg.size() >= 3 && msg.compare(msg.size() - 3, 3, ") >") == 0)
        arrow = msg.size() - 3;
    if (colon == std::string::npos || colon == 0 || arrow == std::string::npos || arrow < colon)
        return;
    size_t open = msg.rfind('(', arrow);
    if (open == std::string::npos || open <= colon + 2 || arrow == open + 1) return;
    int line = 0;
    for (size_t i = open + 1; i < arrow; ++i) {
        if (msg[i] < '0' || msg[i] > '9' || line > 9999999) return;
        line = line * 10 + (msg[i] - '0');
    }
    file = msg.substr(0, colon);
    function = msg.substr(colon + 2, open - colon - 2);
    sourceLine = line;
    text = arrow + 4 <= msg.size() ? msg.substr(arrow + 4) : "";
}

bool LogRecord::Parse(const std::string& line, LogRecord* record) {
    if (!Fits(line, kStampLength) || line.size() < kStampLength + 5 || line[kStampLength] != ' ')
        return false;
    size_t at = kStampLength + 1, digits = at;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits == at || digits - at > kMaxPidDigits || digits + 3 > line.size() ||
        line[digits] != ' ' || line[digits + 1] == '\0' ||
        std::strchr(kPriorities, line[digits + 1]) == nullptr || line[digits + 2] != '/')
        return false;
    size_t colon = line.find(": ", digits + 3);
    if (colon == std::string::npos) return false;
    *record = LogRecord();
    record->line = line;
    record->time = line.substr(0, kStampLength);
    record->pid = std::stoll(line.substr(at, digits - at));
    record->priority = line[digits + 1];
    record->tag = line.substr(digits + 3, colon - digits - 3);
    record->SetMessage(line.substr(colon + 2));
    return true;
}

bool LogRecord::IsStampPrefix(const std::string& text) {
    if (!Fits(text, text.size())) return false;
    // A date and a time of day, not only digits where they go: 2026-13-45 is no day.
    auto field = [&text](size_t at, int low, int high) {
        return text.size() < at + 2 || (Number(text, at, 2) >= low && Number(text, at, 2) <= high);
    };
    if (text.size() < 7) return true;  // a year, or less
    int year = Number(text, 0, 4), month = Number(text, 5, 2);
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int days = month >= 1 && month <= 12 ? kDays[month - 1] - (month == 2 && !leap ? 1 : 0) : 0;
    return field(5, 1, 12) && field(8, 1, days) && field(11, 0, 23) && field(14, 0, 59) &&
           field(17, 0, 59);
}

long long LogRecord::Milliseconds() const {
    if (!Fits(time, kStampLength)) return 0;
    struct tm tm = {};
    tm.tm_year = Number(time, 0, 4) - 1900;
    tm.tm_mon = Number(time, 5, 2) - 1;
    tm.tm_mday = Number(time, 8, 2);
    tm.tm_hour = Number(time, 11, 2);
    tm.tm_min = Number(time, 14, 2);
    tm.tm_sec = Number(time, 17, 2);
    return static_cast<long long>(timegm(&tm)) * 1000 + Number(time, 20, 3);
}

}  // namespace brelta::host
