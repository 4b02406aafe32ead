#ifndef BRELTA_CLI_COMMANDGROUP_H
#define BRELTA_CLI_COMMANDGROUP_H

#include <string>
#include <vector>

namespace brelta::cli {

// One word of the command line ("settings", "usb", ...) and the commands below it.
class CommandGroup {
public:
    virtual ~CommandGroup() {}
    virtual const char* Name() const = 0;
    // The synopsis lines of the group, each ending in a newline, for --help.
    virtual const char* Usage() const = 0;
    // Runs with the words after the group's name; returns the exit status or throws CliError.
    virtual int Run(const std::vector<std::string>& args) = 0;

protected:
    // Throws a usage error quoting `synopsis` unless min <= args.size() - skip <= max.
    static void RequireCount(const std::vector<std::string>& args, size_t skip, size_t min,
                             size_t max, const char* synopsis);
    // The first word, or a usage error that lists the group's commands.
    std::string Subcommand(const std::vector<std::string>& args) const;
    [[noreturn]] void UnknownSubcommand(const std::string& word) const;
    // Writes to standard output; a failure to write ends the command.
    static void Print(const std::string& text);
};

}  // namespace brelta::cli

#endif
