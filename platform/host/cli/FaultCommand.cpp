#include "Commands.h"

#include "CliError.h"
#include "base/Faults.h"
#include "base/FileUtil.h"
#include "Output.h"
#include "base/ScriptableFunctions.h"
#include "settings/SettingsStore.h"

namespace brelta::cli::fault {

using host::Faults;

int Set(const Arguments& args) {
    std::string function = args.Operand(0);
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

int Clear(const Arguments& args) {
    CliError::Require(Faults::Clear(args.Operand(0)));
    return 0;
}

int List(const Arguments& args) {
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

}  // namespace brelta::cli::fault
