#ifndef BRELTA_CLI_VERB_H
#define BRELTA_CLI_VERB_H

#include <string>
#include <vector>

namespace brelta::cli {

class Arguments;

// What a word of a command line stands for: the completion offers its candidates by it.
enum class Kind {
    None,              // an option that takes no value
    Key,               // a settings key that is there
    KeyPrefix,         // the start of settings keys
    KeyFolder,         // a folder of settings keys
    SettingType,       // int, bool, double, string
    SettingValue,      // a value of the type named before it
    MountPath,         // a directory to attach as USB storage
    AttachedMount,     // the mount path of an attached device
    ToastId,           // a notification on screen
    Button,            // 1 or 2
    FaultFunction,     // a function that takes a fault script
    ScriptedFunction,  // a function that has one now
    Service,           // a service that can run live, or all
    Buffer,            // a log buffer
    Priority,          // a log priority
    Directory,         // a directory of the file system
    Text,              // anything else: nothing to offer
};

// How many operands of one kind a command takes.
enum class Arity { kOne, kOptional, kOneOrMore, kAny };

struct Option {
    const char* name;  // --name
    char letter;       // -letter; 0: none
    Kind value;        // Kind::None: takes no value
    const char* meta;  // the value in a synopsis ("N", "TIME"); "" without a value
    const char* help;
    bool repeats = false;  // every value given counts, not only the last
};

struct Operand {
    const char* name;  // "KEY"
    Kind kind;
    Arity arity;
    const char* help;
};

// One command of a program: its words, its grammar, what runs it and what its help says.
// Every command is one row of the program's table (VerbTable.cpp), from which the dispatcher
// checks a command line, and the help, the completion and the manual page are made.
struct Verb {
    const char* group;  // "settings"; "" for a command of its own (log, reset)
    const char* name;   // "get"
    std::vector<Option> options;
    std::vector<Operand> operands;
    int (*run)(const Arguments& arguments);
    const char* summary;  // one line: "print the value of KEY"
    const char* details;  // paragraphs for its help and manual entry, or ""
    bool hidden = false;  // for the program's own scripts: neither help nor manual page

    std::string Path() const;      // "settings get"
    std::string Synopsis() const;  // "settings get [--json] KEY"
    size_t MinOperands() const;
    size_t MaxOperands() const;
    // The operand at this position of the command line, or nullptr past the last.
    const Operand* OperandAt(size_t index) const;
};

// A word that gathers commands ("settings"), with what its help says of all of them.
struct Group {
    const char* name;
    const char* summary;  // "the settings store", for the manual page
    const char* details;
};

// A name and what it means: an environment variable, a file, an exit status.
struct Entry {
    const char* name;
    const char* text;
};

// What a program says of itself, beside its commands.
struct Program {
    const char* name;
    const char* purpose;             // the manual page's NAME line
    const char* description;         // paragraphs
    std::vector<Option> options;     // taken before the command and by every command
    std::vector<Option> topOptions;  // taken before the command only
    const char* notes;               // on every command line: where options stand, the output
    std::vector<Entry> environment;
    std::vector<Entry> files;
    std::vector<Entry> exitStatus;
    const char* seeAlso;
};

// A program's table: what it says of itself, its groups and its commands.
struct Table {
    const Program& program;
    const std::vector<Group>& groups;
    const std::vector<Verb>& verbs;

    const Group* FindGroup(const std::string& name) const;
    const Verb* FindVerb(const std::string& group, const std::string& name) const;
};

// brelta-device's table.
const Table& DeviceTable();

// The option of `options` that `word` (--name or -letter) names, or nullptr.
const Option* FindOption(const std::vector<Option>& options, const std::string& word);
// An option as a synopsis shows it: "-n N", "--json".
std::string OptionWord(const Option& option);
// An option as a list of options shows it: "-n, --lines N".
std::string OptionLabel(const Option& option);

}  // namespace brelta::cli

#endif
