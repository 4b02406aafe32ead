// The manual page of brelta-device, made from its table at build time (__manual FILE), so
// that the page, the help and the command lines it accepts never disagree.
#include <cerrno>

#include "CliError.h"
#include "Commands.h"
#include "base/FileUtil.h"
#include "Help.h"
#include "Verb.h"

namespace brelta::cli {

namespace {
// Text for roff: a backslash as \e, a hyphen as \- (so that options stay ASCII and can be
// searched for), a line starting with a dot or a quote as text, not as a request, and a
// place to break after each comma of a JSON form, which has no blanks.
std::string Roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        if (c == ',') out += "\\:";
        lineStart = c == '\n';
    }
    return out;
}

// Paragraphs (split by an empty line) as roff paragraphs, a single line break kept.
std::string Paragraphs(const std::string& text) {
    std::string out = ".PP\n";
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        out += line.empty() ? ".PP\n" : Roff(line) + "\n";
        if (!line.empty() && end < text.size() && text[end + 1] != '\n') out += ".br\n";
        start = end + 1;
    }
    return out;
}

// A tagged paragraph: the tag in bold, the text below it indented.
std::string Tagged(const std::string& tag, const std::string& text) {
    return ".TP\n.B \"" + Roff(tag) + "\"\n" + Roff(text) + "\n";
}

std::string Entries(const char* section, const std::vector<Entry>& entries) {
    std::string out = std::string(".SH ") + section + "\n";
    for (const Entry& entry : entries) out += Tagged(entry.name, entry.text);
    return out;
}

std::string VerbEntry(const Verb& verb) {
    std::string out = Tagged(verb.Synopsis(), Help::Sentence(verb.summary)) + ".RS\n";
    for (const Operand& operand : verb.operands) out += Tagged(operand.name, operand.help);
    for (const Option& option : verb.options) out += Tagged(OptionLabel(option), option.help);
    if (*verb.details != '\0') out += Paragraphs(verb.details);
    return out + ".RE\n";
}

std::string Page(const Table& table) {
    const Program& program = table.program;
    std::string name = program.name;
    std::string title;
    for (char c : name) title += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    std::string page = ".TH " + Roff(title) + " 1 \"\" \"" + Roff(name + " " BRELTA_VERSION) +
                       "\" \"User Commands\"\n"
                       // Left-aligned, unhyphenated: JSON forms and paths stay whole.
                       ".ad l\n.nh\n";
    page += ".SH NAME\n" + Roff(name) + " \\- " + Roff(program.purpose) + "\n";
    page += ".SH SYNOPSIS\n.B " + Roff(name) + "\n" + Roff("[--root DIR] COMMAND [ARGUMENTS]") +
            "\n.br\n.B " + Roff(name) + "\n" + Roff("--help | --version") + "\n";
    page += ".SH DESCRIPTION\n" + Paragraphs(program.description);
    page += ".SH OPTIONS\n";
    for (const Option& option : program.options) page += Tagged(OptionLabel(option), option.help);
    for (const Option& option : program.topOptions)
        page += Tagged(OptionLabel(option), option.help);
    page += Paragraphs(program.notes);
    page += ".SH COMMANDS\n";
    std::string group;
    for (const Verb& verb : table.verbs) {
        if (verb.hidden) continue;
        const Group* found = table.FindGroup(verb.group);
        if (found == nullptr)
            page += ".SS \"" + Roff(verb.name) + "\"\n";
        else if (group != verb.group)
            page += ".SS \"" + Roff(std::string(verb.group) + ": " + found->summary) + "\"\n" +
                    Paragraphs(found->details);
        group = verb.group;
        page += VerbEntry(verb);
    }
    page += Entries("ENVIRONMENT", program.environment);
    page += Entries("FILES", program.files);
    page += Entries("EXIT STATUS", program.exitStatus);
    page += ".SH SEE ALSO\n" + Roff(program.seeAlso) + "\n";
    return page;
}
}  // namespace

int Manual(const Arguments& args) {
    errno = 0;
    if (!host::FileUtil::WriteAtomically(args.Operand(0), Page(DeviceTable())))
        throw CliError::SystemFailure("cannot write " + args.Operand(0), errno != 0 ? errno : EIO);
    return 0;
}

}  // namespace brelta::cli
