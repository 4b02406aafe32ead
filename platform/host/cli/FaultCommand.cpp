#include "FaultCommand.h"

#include "CliError.h"
#include "Faults.h"
#include "FileUtil.h"
#include "Output.h"
#include "ScriptableFunctions.h"
#include "SettingsStore.h"

namespace brelta::cli {

using host::Faults;

const char* FaultCommand::Usage() const {
    return "  fault set FUNCTION RESULT...  script the results of FUNCTION's next calls in\n"
           "                                each process started from now on (0: normal work)\n"
           "  fault clear [FUNCTION]        remove the script of FUNCTION (or all scripts)\n"
           "  fault list [--json] [--known] print FUNCTION: RESULT... of every script (--known:\n"
           "                                the names of the functions that take one)\n";
}

const char* FaultCommand::Details() const {
    return "RESULTs are decimal ints, one taken per call, in order; a status function returns a\n"
           "non-zero RESULT instead of doing its work, a function that returns a pointer returns\n"
           "null. A script stays until it is cleared: every process started later takes it\n"
           "from its first RESULT again.\n"
           "\n"
           "--json: {\"function\":FUNCTION,\"results\":[RESULT,...]}.\n";
}

int FaultCommand::Run(const std::vector<std::string>& words) {
    std::string command = Subcommand(words);
    if (command == "set") return Set(words);
    if (command == "clear") return Clear(words);
    if (command == "list") return List(words);
    UnknownSubcommand(command);
}

int FaultCommand::Set(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "fault set FUNCTION RESULT...", &helped);
    if (helped) return 0;
    args.RequireOperands(2, static_cast<size_t>(-1));
    const std::string& function = args.Operands()[0];
    std::vector<int> values;
    for (size_t i = 1; i < args.Operands().size(); ++i) {
        int value = 0;
        // Decimal only: "010" is ten, as a person reading it would take it.
        if (Faults::Scriptable(function) &&
            !host::SettingsStore::ParseInt(args.Operands()[i], &value))
            throw CliError::Usage("'" + args.Operands()[i] + "' is not a decimal int result");
        values.push_back(value);
    }
    CliError::Require(Faults::Set(function, values));
    return 0;
}

int FaultCommand::Clear(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {}, "fault clear [FUNCTION]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 1);
    CliError::Require(Faults::Clear(args.Operands().empty() ? "" : args.Operands()[0]));
    return 0;
}

int FaultCommand::List(const std::vector<std::string>& words) {
    bool helped = false;
    Arguments args = Parse(words, {{"json", 0, false}, {"known", 0, false}},
                           "fault list [--json] [--known]", &helped);
    if (helped) return 0;
    args.RequireOperands(0, 0);
    if (args.Has("known")) {
        for (const char* known : host::kScriptableFunctions)
            if (args.Has("json"))
                Output::PrintJson({{"function", known}});
            else
                Output::Print(std::string(known) + "\n");
        return 0;
    }
    for (const std::string& function : Faults::Scripted()) {
        std::string text;
        host::FileUtil::Read(Faults::Path(function), &text);
        std::vector<int> results = Faults::Parse(text);
        if (args.Has("json")) {
            Output::PrintJson({{"function", function}, {"results", results}});
            continue;
        }
        std::string line = function + ":";
        for (int value : results) line += " " + std::to_string(value);
        Output::Print(line + "\n");
    }
    return 0;
}

}  // namespace brelta::cli
