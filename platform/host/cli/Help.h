#ifndef BRELTA_CLI_HELP_H
#define BRELTA_CLI_HELP_H

#include <string>
#include <vector>

#include "Verb.h"

namespace brelta::cli {

// The --help texts of a program, at each level, made from its table.
class Help {
public:
    explicit Help(const Table& table) : m_Table(table) {}

    // The whole program: its synopsis, options and every command; `root` is the device root
    // now.
    std::string Top(const std::string& root) const;
    // A group: its commands, one a line, and what it says of them all.
    std::string OfGroup(const Group& group) const;
    // One command: its synopsis, operands and options.
    std::string OfVerb(const Verb& verb) const;
    // "  settings get [--json] KEY     print the value of KEY", for each command that is
    // shown, of one group ("" for all).
    std::string CommandLines(const std::string& group) const;

    // A text as lines of at most `width` columns, each indented by `indent`: its paragraphs
    // (split by an empty line) filled, a single line break kept.
    static std::string Wrap(const std::string& text, size_t indent, size_t width = 79);
    // "print the value" -> "Print the value."
    static std::string Sentence(const std::string& text);

private:
    // "  LABEL         text", the text wrapped beside the labels' column.
    static std::string Item(const std::string& label, const std::string& text, size_t column);

    const Table& m_Table;
};

}  // namespace brelta::cli

#endif
