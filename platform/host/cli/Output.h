#ifndef BRELTA_CLI_OUTPUT_H
#define BRELTA_CLI_OUTPUT_H

#include <nlohmann/json.hpp>

#include <string>

#include "JsonJournalReader.h"

namespace brelta::cli {

// What the CLI prints. Text output keeps every record on one line that a terminal shows as it
// is, whatever the device root holds: what VisibleText hides, and the backslash, are written
// as \xNN (the log's form, and the backslash so that the form reads back unambiguously).
// --json output is one compact JSON object per line, members in a fixed order.
class Output {
public:
    using Object = nlohmann::ordered_json;

    static std::string Escape(const std::string& text);
    // Reverses Escape; false for a malformed \x.
    static bool Unescape(const std::string& text, std::string* out);
    // "1 line", "2 lines".
    static std::string Count(size_t count, const std::string& noun);
    // Writes to standard output; a failure to write ends the command.
    static void Print(const std::string& text);
    static void PrintJson(const Object& object);
    // Hands what was printed to the reader at once (followers print as things happen).
    static void Flush();
    static void Warn(const std::string& message);
    // A warning for the journal lines a read passed over, if any.
    static void WarnSkipped(const std::string& what,
                            const host::JsonJournalReader::Skipped& skipped);
};

}  // namespace brelta::cli

#endif
