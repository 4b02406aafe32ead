#include "Output.h"

#include <cerrno>
#include <cstdio>

#include "CliError.h"
#include "LogWriter.h"

namespace brelta::cli {

std::string Output::Escape(const std::string& text) {
    // The log's escaping, with the backslash escaped first so that it is never read as the
    // start of an escape.
    std::string marked;
    marked.reserve(text.size());
    for (char c : text) marked += c == '\\' ? std::string("\\x5c") : std::string(1, c);
    return host::LogWriter::Escape(marked);
}

bool Output::Unescape(const std::string& text, std::string* out) {
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *out += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x' || hex(text[i + 2]) < 0 ||
            hex(text[i + 3]) < 0)
            return false;
        *out += static_cast<char>(hex(text[i + 2]) * 16 + hex(text[i + 3]));
        i += 3;
    }
    return true;
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
