#include "FaultCommand.h"

#include <cerrno>

#include "CliError.h"
#include "Faults.h"
#include "FileUtil.h"

namespace brelta::cli {

using host::Faults;

const char* FaultCommand::Usage() const {
    return "  fault set FUNCTION RESULT...  script the results of FUNCTION's next calls in\n"
           "                                each process started from now on (0: normal work)\n"
           "  fault clear [FUNCTION]        remove the script of FUNCTION (or all scripts)\n"
           "  fault list                    print FUNCTION: RESULT... of every script\n";
}

int FaultCommand::Run(const std::vector<std::string>& args) {
    std::string command = Subcommand(args);
    if (command == "set") return Set(args);
    if (command == "clear") return Clear(args);
    if (command == "list") return List(args);
    UnknownSubcommand(command);
}

void FaultCommand::RequireName(const std::string& function) {
    if (!Faults::ValidName(function))
        throw CliError::Usage("'" + function + "' is not a function name");
}

int FaultCommand::Set(const std::vector<std::string>& args) {
    RequireCount(args, 1, 2, static_cast<size_t>(-1), "fault set FUNCTION RESULT...");
    RequireName(args[1]);
    std::vector<int> values;
    for (size_t i = 2; i < args.size(); ++i) {
        int value = 0;
        if (!Faults::ParseValue(args[i], &value))
            throw CliError::Usage("'" + args[i] + "' is not an int result");
        values.push_back(value);
    }
    errno = 0;
    if (!Faults::Write(args[1], values))
        throw CliError::SystemFailure("cannot write " + Faults::Path(args[1]),
                                      errno != 0 ? errno : EIO);
    return 0;
}

int FaultCommand::Clear(const std::vector<std::string>& args) {
    RequireCount(args, 1, 0, 1, "fault clear [FUNCTION]");
    std::vector<std::string> functions;
    if (args.size() > 1) {
        RequireName(args[1]);
        if (!host::FileUtil::Exists(Faults::Path(args[1])))
            throw CliError::Failure("no script for " + args[1]);
        functions.push_back(args[1]);
    } else {
        functions = Faults::Scripted();
    }
    for (const std::string& function : functions)
        if (!Faults::Remove(function))
            throw CliError::SystemFailure("cannot remove " + Faults::Path(function), errno);
    return 0;
}

int FaultCommand::List(const std::vector<std::string>& args) {
    RequireCount(args, 1, 0, 0, "fault list");
    for (const std::string& function : Faults::Scripted()) {
        std::string text;
        host::FileUtil::Read(Faults::Path(function), &text);
        std::string line = function + ":";
        for (int value : Faults::Parse(text)) line += " " + std::to_string(value);
        Print(line + "\n");
    }
    return 0;
}

}  // namespace brelta::cli
