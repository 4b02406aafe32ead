#ifndef BRELTA_CLI_COMPLETION_H
#define BRELTA_CLI_COMPLETION_H

#include <string>
#include <vector>

#include "Verb.h"

namespace brelta::cli {

// The bash completion's candidates for one word of a command line, from the program's table
// and the device root. Everything it offers reaches the shell as data: one candidate a line,
// quoted for the command line, so that a key named $(...) is inserted as those characters and
// never run.
class Completion {
public:
    explicit Completion(const Table& table) : m_Table(table) {}

    // `words` as bash splits the line (COMP_WORDS, the program first, quotes as typed);
    // `current` indexes the word being completed. The candidates, quoted.
    std::vector<std::string> Candidates(const std::vector<std::string>& words,
                                        size_t current) const;

    // A word as the shell reads it, without expanding anything: quotes and backslashes
    // removed, an unclosed quote taken as closed at the end.
    struct Unquoted {
        std::string text;
        char openQuote = 0;  // the quote left open at the end, if any
        size_t quoted = 0;   // where in `text` the open quote begins
    };
    static Unquoted Unquote(const std::string& word);
    // A text as bash reads it exactly: as a word, or inside an open quote ' or ".
    static std::string Quote(const std::string& text, char openQuote = 0);

private:
    // The candidates for a word of `kind`, beginning with `prefix`; `before` holds the
    // command's operands before it.
    static std::vector<std::string> OfKind(Kind kind, const std::string& prefix,
                                           const std::vector<std::string>& before);

    const Table& m_Table;
};

}  // namespace brelta::cli

#endif
