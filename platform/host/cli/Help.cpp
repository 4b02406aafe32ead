#include "Help.h"

namespace brelta::cli {

namespace {
// The column where the text beside a command's synopsis starts.
constexpr size_t kCommandColumn = 32;
// The column where the text beside an option or operand starts.
constexpr size_t kItemColumn = 22;

// One line of text filled into lines of `width` columns, each after `indent` blanks.
std::string Fill(const std::string& line, size_t indent, size_t width) {
    std::string out, current;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        std::string word = line.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        if (!current.empty() && indent + current.size() + 1 + word.size() > width) {
            out += std::string(indent, ' ') + current + "\n";
            current.clear();
        }
        current += (current.empty() ? "" : " ") + word;
    }
    return out + std::string(indent, ' ') + current + "\n";
}
}  // namespace

std::string Help::Wrap(const std::string& text, size_t indent, size_t width) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        out += line.empty() ? "\n" : Fill(line, indent, width);
        start = end + 1;
    }
    return out;
}

std::string Help::Sentence(const std::string& text) {
    std::string sentence = text;
    if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z') sentence[0] -= 'a' - 'A';
    return sentence + ".";
}

std::string Help::Item(const std::string& label, const std::string& text, size_t column) {
    std::string first = "  " + label;
    std::string wrapped = Wrap(text, column);
    if (first.size() + 2 > column || wrapped.size() <= column) return first + "\n" + wrapped;
    return first + std::string(column - first.size(), ' ') + wrapped.substr(column);
}

std::string Help::CommandLines(const std::string& group) const {
    std::string lines;
    for (const Verb& verb : m_Table.verbs)
        if (!verb.hidden && (group.empty() || group == verb.group))
            lines += Item(verb.Synopsis(), verb.summary, kCommandColumn);
    return lines;
}

std::string Help::Top(const std::string& root) const {
    std::string name = m_Table.program.name;
    std::string help = "usage: " + name + " [--root DIR] COMMAND [ARGUMENTS]\n       " + name +
                       " --help | --version\n\n" + Wrap(m_Table.program.description, 0) +
                       "\nOptions (before COMMAND, or after it):\n";
    for (const Option& option : m_Table.program.options) {
        std::string text = option.help;
        if (std::string(option.name) == "root") text += " (now: " + root + ")";
        help += Item(OptionLabel(option), text, kItemColumn);
    }
    for (const Option& option : m_Table.program.topOptions)
        help += Item(OptionLabel(option), option.help, kItemColumn);
    help += "\nCommands:\n" + CommandLines("") + "\n" + Wrap(m_Table.program.notes, 0) +
            "\nExit status:\n";
    for (const Entry& status : m_Table.program.exitStatus)
        help += Item(status.name, status.text, 6);
    return help;
}

std::string Help::OfGroup(const Group& group) const {
    return "usage:\n" + CommandLines(group.name) + "\n" + Wrap(group.details, 0) + "\nTry '" +
           m_Table.program.name + " " + group.name + " COMMAND --help' for one command.\n";
}

std::string Help::OfVerb(const Verb& verb) const {
    std::string help = "usage: " + std::string(m_Table.program.name) + " " + verb.Synopsis() +
                       "\n\n" + Wrap(Sentence(verb.summary), 0);
    if (!verb.operands.empty()) help += "\nOperands:\n";
    for (const Operand& operand : verb.operands)
        help += Item(operand.name, operand.help, kItemColumn);
    if (!verb.options.empty()) help += "\nOptions:\n";
    for (const Option& option : verb.options)
        help += Item(OptionLabel(option), option.help, kItemColumn);
    if (*verb.details != '\0') help += "\n" + Wrap(verb.details, 0);
    const Group* group = m_Table.FindGroup(verb.group);
    if (group != nullptr) help += "\n" + Wrap(group->details, 0);
    return help;
}

}  // namespace brelta::cli
