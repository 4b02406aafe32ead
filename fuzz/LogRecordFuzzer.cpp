// The log record writer: whatever a message holds, its record is one line without control
// characters, parses back into the same tag and message, and reaches the buffer file whole.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <dlog.h>

#include "FuzzSupport.h"
#include "LogRecords.h"
#include "LogWriter.h"

using brelta::fuzz::Check;
using brelta::host::LogWriter;
using brelta::test::LogRecord;
using brelta::test::LogRecords;

namespace {
bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The control character that text[i..i+3] stands for as an escape, or -1.
int EscapedControlAt(const std::string& text, size_t i) {
    if (i + 4 > text.size() || text[i] != '\\' || text[i + 1] != 'x') return -1;
    int high = HexDigit(text[i + 2]), low = HexDigit(text[i + 3]);
    if (high < 0 || low < 0) return -1;
    int c = high * 16 + low;
    return IsControl(static_cast<unsigned char>(c)) ? c : -1;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        int c = EscapedControlAt(text, i);
        if (c < 0) {
            out += text[i];
        } else {
            out += static_cast<char>(c);
            i += 3;
        }
    }
    return out;
}

// A message that itself holds the text of an escape ("\x0a") reads the same as one holding
// the control character: the log keeps every record on one line, not every byte apart.
bool HoldsEscapeText(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (EscapedControlAt(text, i) >= 0) return true;
    return false;
}

void CheckEscape(const std::string& text) {
    const std::string escaped = LogWriter::Escape(text);
    size_t controls = 0;
    for (unsigned char c : text) controls += IsControl(c) ? 1 : 0;
    Check(escaped.size() == text.size() + 3 * controls, "each control character becomes \\xNN");
    for (unsigned char c : escaped) Check(!IsControl(c), "no control character is left");
    if (!HoldsEscapeText(text)) Check(Unescape(escaped) == text, "the escape reverses");
}

void CheckRecord(const std::string& tag, int priority, const std::string& message) {
    const std::string record =
        LogWriter::Record("2026-12-05T13:46:45.123Z", 4242, priority, tag, message);
    Check(record.find('\n') == std::string::npos, "a record is one line");
    LogRecord parsed;
    Check(LogRecords::ParseLine(record, &parsed), "a record parses");
    Check(parsed.pid == 4242 && parsed.tag == tag, "pid and tag read back");
    Check(parsed.message == LogWriter::Escape(message), "the message reads back escaped");
    Check(parsed.priority == LogWriter::PriorityLetter(priority), "the priority reads back");
}

// Through the platform call as the tool makes it: the text goes in through "%s" (so it ends
// at its first NUL) and must arrive as one whole line of the buffer file.
void CheckWrite(const std::string& root, const char* tag, const std::string& message) {
    const std::string path = root + "/log/system";
    unlink(path.c_str());
    const std::string text = message.substr(0, strlen(message.c_str()));
    int written = __dlog_print(LOG_ID_SYSTEM, DLOG_INFO, tag, "%s", text.c_str());
    Check(written == static_cast<int>(text.size()), "the write reports the message length");
    LogRecords records = LogRecords::Load(path);
    Check(records.Broken().empty() && records.All().size() == 1, "one whole record is written");
    Check(records.All()[0].message == LogWriter::Escape(text), "the written message is escaped");
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    brelta::fuzz::UseTemporaryDeviceRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the tag and priority, as the tool's two writers use them; the
    // rest is the message.
    const uint8_t selector = size > 0 ? data[0] : 0;
    const char* tag = (selector & 1) ? "BRELTA_LOG" : "BRELTA_TEST_TOOL";
    const int priority = static_cast<int8_t>(selector) >> 1;
    const std::string message(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                              size > 0 ? size - 1 : 0);
    CheckEscape(message);
    CheckRecord(tag, priority, message);
    CheckWrite(brelta::fuzz::UseTemporaryDeviceRoot(), tag, message);
    return 0;
}
