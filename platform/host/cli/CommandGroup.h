#ifndef BRELTA_CLI_COMMANDGROUP_H
#define BRELTA_CLI_COMMANDGROUP_H

#include <string>
#include <vector>

#include "Arguments.h"

namespace brelta::cli {

// One word of the command line ("settings", "usb", ...) and the commands below it.
class CommandGroup {
public:
    virtual ~CommandGroup() {}
    virtual const char* Name() const = 0;
    // The synopsis lines of the group, each ending in a newline, for the overall --help.
    virtual const char* Usage() const = 0;
    // What the group's --help adds below the synopsis: the options, the output, the JSON
    // fields. Empty by default.
    virtual const char* Details() const { return ""; }
    // Runs with the words after the group's name; returns the exit status or throws CliError.
    virtual int Run(const std::vector<std::string>& words) = 0;

    std::string Help() const;

protected:
    // The words after the subcommand, parsed; nullopt-like: when they ask for --help, the
    // group's help is printed and `*helped` is set, and the caller returns 0.
    Arguments Parse(const std::vector<std::string>& words, const std::vector<OptionDecl>& declared,
                    const char* synopsis, bool* helped) const;
    // The first word, or a usage error that lists the group's commands.
    std::string Subcommand(const std::vector<std::string>& words) const;
    [[noreturn]] void UnknownSubcommand(const std::string& word) const;
};

}  // namespace brelta::cli

#endif
