#ifndef BRELTA_HOST_FAULTS_H
#define BRELTA_HOST_FAULTS_H

#include <string>
#include <vector>

#include "base/Outcome.h"
#include "base/ScriptableFunctions.h"

// The name of the platform function that this stands in, for its fault script: its own name,
// which the compiler checks against kScriptableFunctions.
#define BRELTA_FAULT_NAME \
    (::brelta::host::ScriptableName<::brelta::host::IsScriptable(__func__)>(__func__))

// The fault hook of a platform function, first in its body: when this call's script holds a
// non-zero number, the function returns `result` (which may name that number `fault`) instead
// of doing its work; a scripted 0 lets it do its work.
#define BRELTA_FAULT_HOOK(result) \
    if (int fault = 0; ::brelta::host::Faults::Fail(BRELTA_FAULT_NAME, &fault)) return result

namespace brelta::host {

// Scripted results of platform functions: $ROOT/faults/<function> holds whitespace-separated
// integers, one taken per call in this process; after the last one the function behaves
// normally. A script is read at the first call of its function in the process.
class Faults {
public:
    // True when this call of `function` has a scripted number; *value is it.
    static bool Next(const char* function, int* value);
    // True when this call of a status-returning function must fail; *status is the non-zero
    // result to return. A scripted 0 means "do the normal work".
    static bool Fail(const char* function, int* status);
    // Forgets every loaded script (tests switch device roots within one process).
    static void Reset();

    // The script file of a function, $ROOT/faults/<function>.
    static std::string Path(const std::string& function);
    // A function name that can name a script file: a C identifier.
    static bool ValidName(const std::string& function);
    // One number of a script: decimal, 0x hexadecimal or 0 octal, within int.
    static bool ParseValue(const std::string& word, int* value);
    // The numbers of a script text, up to the first word that is not a number.
    static std::vector<int> Parse(const std::string& text);
    // Writes a script for the processes started from now on (atomically, so a process that
    // starts meanwhile reads the old script or the new one).
    static bool Write(const std::string& function, const std::vector<int>& values);
    static bool Remove(const std::string& function);
    // The functions that have a script file, sorted.
    static std::vector<std::string> Scripted();

    // What a person changes, the workbench and the screen alike. Only a function with a
    // fault hook (kScriptableFunctions) takes a script: no process would read any other.
    static bool Scriptable(const std::string& function);
    static Outcome Set(const std::string& function, const std::vector<int>& values);
    // Removes the script of `function`, or every script when it is empty.
    static Outcome Clear(const std::string& function);
};

}  // namespace brelta::host

#endif
