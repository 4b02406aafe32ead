#include "Output.h"

#include <cerrno>
#include <cstdio>

#include "CliError.h"
#include "base/VisibleText.h"

namespace brelta::cli {

std::string Output::Escape(const std::string& text) {
    return host::VisibleText::EscapeReversibly(text);
}

bool Output::Unescape(const std::string& text, std::string* out) {
    return host::VisibleText::Unescape(text, out);
}

std::string Output::Count(size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void Output::Print(const std::string& text) {
    if (text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
        throw CliError::SystemFailure("standard output", errno);
}

void Output::PrintJson(const Object& object) {
    // Bytes that are not UTF-8 (a hand-written file) become U+FFFD: every reader can parse
    // the line.
    Print(object.dump(-1, ' ', false, Object::error_handler_t::replace) + "\n");
}

void Output::Flush() {
    if (std::fflush(stdout) != 0) throw CliError::SystemFailure("standard output", errno);
}

void Output::Warn(const std::string& message) {
    std::fprintf(stderr, "brelta-device: warning: %s\n", message.c_str());
}

void Output::WarnSkipped(const std::string& what, const host::JsonJournalReader::Skipped& skipped) {
    auto part = [](size_t count, const char* why) {
        return count == 0 ? std::string() : ", " + std::to_string(count) + " " + why;
    };
    if (skipped.Total() == 0) return;
    std::string reasons = part(skipped.broken, "not a JSON object") +
                          part(skipped.deep, "nested too deep") + part(skipped.tooLong, "too long");
    Warn("skipped " + Count(skipped.Total(), "line") + " of " + what + " (" + reasons.substr(2) +
         ")");
}

}  // namespace brelta::cli
