// The log record writer: whatever a message holds, its record is one line that a terminal
// shows as it is, parses back into the same tag and message, and reaches the buffer file whole.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <dlog.h>

#include "base/FileUtil.h"
#include "FuzzSupport.h"
#include "log/LogRecord.h"
#include "log/LogWriter.h"
#include "base/VisibleText.h"

using brelta::fuzz::Check;
using brelta::host::LogRecord;
using brelta::host::LogWriter;
using brelta::host::VisibleText;

namespace {
void CheckEscape(const std::string& text) {
    const std::string escaped = VisibleText::Escape(text);
    Check(!VisibleText::HasHidden(escaped), "nothing hidden is left");
    for (unsigned char c : escaped) Check(c >= 0x20 && c != 0x7f, "no C0 control or DEL is left");
    std::string back;
    Check(VisibleText::Unescape(VisibleText::EscapeReversibly(text), &back) && back == text,
          "the reversible escape reverses");
    // Without a backslash of its own, a text is its escape read back.
    if (text.find('\\') == std::string::npos)
        Check(VisibleText::Unescape(escaped, &back) && back == text, "the escape reverses");
}

void CheckRecord(const std::string& tag, int priority, const std::string& message) {
    const std::string record =
        LogWriter::Record("2026-12-05T13:46:45.123Z", 4242, priority, tag, message);
    Check(record.find('\n') == std::string::npos, "a record is one line");
    LogRecord parsed;
    Check(LogRecord::Parse(record, &parsed), "a record parses");
    Check(parsed.pid == 4242 && parsed.tag == VisibleText::Escape(tag), "pid and tag read back");
    Check(parsed.message == VisibleText::Escape(message), "the message reads back escaped");
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
    std::string content;
    LogRecord record;
    Check(brelta::host::FileUtil::Read(path, &content, 1 << 24) && !content.empty() &&
              content.find('\n') == content.size() - 1,
          "one line is written");
    Check(LogRecord::Parse(content.substr(0, content.size() - 1), &record), "the line is a record");
    Check(record.message == VisibleText::Escape(text), "the written message is escaped");
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
