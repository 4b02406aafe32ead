#include "CommandGroup.h"

#include "CliError.h"
#include "Output.h"

namespace brelta::cli {

std::string CommandGroup::Help() const {
    std::string details = Details();
    return std::string("usage:\n") + Usage() + (details.empty() ? "" : "\n" + details);
}

Arguments CommandGroup::Parse(const std::vector<std::string>& words,
                              const std::vector<OptionDecl>& declared, const char* synopsis,
                              bool* helped) const {
    std::vector<std::string> rest(words.begin() + (words.empty() ? 0 : 1), words.end());
    Arguments arguments(rest, declared, synopsis);
    *helped = arguments.Has("help");
    if (*helped) Output::Print(Help());
    return arguments;
}

std::string CommandGroup::Subcommand(const std::vector<std::string>& words) const {
    if (words.empty())
        throw CliError::Usage(std::string("'") + Name() + "' needs a command:\n" + Usage());
    return words[0];
}

void CommandGroup::UnknownSubcommand(const std::string& word) const {
    throw CliError::Usage(std::string("unknown command '") + Name() + " " + word + "':\n" +
                          Usage());
}

}  // namespace brelta::cli
