#include "CommandGroup.h"

#include <cerrno>
#include <cstdio>

#include "CliError.h"

namespace brelta::cli {

void CommandGroup::RequireCount(const std::vector<std::string>& args, size_t skip, size_t min,
                                size_t max, const char* synopsis) {
    size_t count = args.size() > skip ? args.size() - skip : 0;
    if (count < min || count > max)
        throw CliError::Usage(std::string("usage: brelta-device ") + synopsis);
}

std::string CommandGroup::Subcommand(const std::vector<std::string>& args) const {
    if (args.empty())
        throw CliError::Usage(std::string("'") + Name() + "' needs a command:\n" + Usage());
    return args[0];
}

void CommandGroup::UnknownSubcommand(const std::string& word) const {
    throw CliError::Usage(std::string("unknown command '") + Name() + " " + word + "':\n" +
                          Usage());
}

void CommandGroup::Print(const std::string& text) {
    if (text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
        throw CliError::SystemFailure("standard output", errno);
}

}  // namespace brelta::cli
