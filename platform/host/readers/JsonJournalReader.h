#ifndef BRELTA_HOST_JSONJOURNALREADER_H
#define BRELTA_HOST_JSONJOURNALREADER_H

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>

#include "LineStream.h"

namespace brelta::host {

// The journals read back, for the workbench CLI and the tests, with the same header-only JSON
// library that writes them (JsonLine). A journal is streamed line by line, so its size
// never decides what is held in memory, and each line is checked before it is parsed: a
// line nested deeper than any journal line is (an attack on a recursive reader) is skipped
// like a line that is not JSON at all.
class JsonJournalReader {
public:
    // Ordered, so that a line printed again keeps the order its writer gave it.
    using Json = nlohmann::ordered_json;
    // Deeper than any line the platform writes (a post nests three levels).
    static constexpr int kMaxDepth = 16;

    // What a read passed over, for a warning.
    struct Skipped {
        size_t broken = 0;   // not a JSON object
        size_t deep = 0;     // nested deeper than kMaxDepth
        size_t tooLong = 0;  // longer than LineStream::kMaxLineBytes
        size_t Total() const { return broken + deep + tooLong; }
    };

    explicit JsonJournalReader(const std::string& relative, bool follow = false);

    // The next journal line; End when there is none for now, Error when the journal cannot
    // be read (ErrorText() says why). A missing journal is an empty one.
    LineStream::Result Next(Json* object);
    const std::string& ErrorText() const { return m_Lines.ErrorText(); }
    Skipped Passed() const;

    // Every line of $ROOT/<relative> in order; false when it could not be read to its end.
    static bool ForEach(const std::string& relative, const std::function<void(const Json&)>& each,
                        Skipped* skipped, std::string* error);

    // A JSON object of one line; nullopt for anything else, or one nested too deep.
    static std::optional<Json> Parse(const std::string& line, bool* deep = nullptr);
    // The deepest nesting of arrays and objects in a JSON text, counted without parsing.
    static int Depth(const std::string& text);

    // Members of a journal line: nullopt (null) when missing, null or of another kind.
    static std::optional<long long> IntMember(const Json& object, const char* name);
    static const std::string* StringMember(const Json& object, const char* name);

private:
    LineStream m_Lines;
    Skipped m_Skipped;
};

}  // namespace brelta::host

#endif
