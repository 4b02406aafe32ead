#include "DeviceCli.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "CliError.h"
#include "Commands.h"
#include "base/DeviceRoot.h"
#include "Output.h"

namespace brelta::cli {

namespace {
bool AsksForHelp(const std::string& word) {
    return word == "--help" || word == "-h" || word == "help";
}

// The operands that a command line of `given` operands lacks, by their names: "missing
// operand KEY", "missing operands TYPE VALUE". The optional ones stand last in every row.
std::string Missing(const Verb& verb, size_t given) {
    std::string names;
    size_t count = 0;
    for (size_t i = given; i < verb.operands.size(); ++i) {
        const Operand& operand = verb.operands[i];
        if (operand.arity != Arity::kOne && operand.arity != Arity::kOneOrMore) continue;
        names += std::string(" ") + operand.name;
        ++count;
    }
    return (count > 1 ? "missing operands" : "missing operand") + names;
}

int Print(const std::string& text) {
    Output::Print(text);
    return 0;
}
}  // namespace

DeviceCli::DeviceCli() : m_Table(DeviceTable()), m_Help(m_Table) {}

void DeviceCli::UseRoot(const std::string& dir) {
    if (dir.empty()) throw CliError::Usage("--root needs a directory");
    std::string absolute = dir;
    if (absolute[0] != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr) throw CliError::SystemFailure("current directory", errno);
        absolute = std::string(cwd) + "/" + dir;
        free(cwd);
    }
    setenv("BRELTA_DEVICE_ROOT", absolute.c_str(), 1);
    host::DeviceRoot::Reset();
}

int Root(const Arguments&) {
    Output::Print(host::DeviceRoot::Path() + "\n");
    return 0;
}

int DeviceCli::Dispatch(const std::vector<std::string>& words) {
    const Program& program = m_Table.program;
    std::vector<Option> topOptions = program.options;
    topOptions.insert(topOptions.end(), program.topOptions.begin(), program.topOptions.end());
    Arguments global(words, topOptions, "[--root DIR] COMMAND [ARGUMENTS]", true);
    if (global.Has("root")) UseRoot(global.Value("root"));
    if (global.Has("help")) return Print(m_Help.Top(host::DeviceRoot::Path()));
    if (global.Has("version")) return Print("brelta-device " BRELTA_VERSION "\n");
    std::vector<std::string> rest = global.Operands();
    if (rest.empty()) throw CliError::Usage("no command given");
    std::string word = rest[0];
    rest.erase(rest.begin());
    if (word == "help") return Print(m_Help.Top(host::DeviceRoot::Path()));

    const Verb* verb = m_Table.FindVerb("", word);
    if (const Group* group = m_Table.FindGroup(word)) {
        m_HelpOf = word;
        if (rest.empty())
            throw CliError::Usage("'" + word + "' needs a command:\n" + m_Help.CommandLines(word));
        if (AsksForHelp(rest[0])) return Print(m_Help.OfGroup(*group));
        verb = m_Table.FindVerb(word, rest[0]);
        if (verb == nullptr)
            throw CliError::Usage("unknown command '" + word + " " + rest[0] + "':\n" +
                                  m_Help.CommandLines(word));
        rest.erase(rest.begin());
    }
    if (verb == nullptr) throw CliError::Usage("unknown command '" + word + "'");
    m_HelpOf = verb->Path();

    std::vector<Option> options = verb->options;
    options.insert(options.end(), program.options.begin(), program.options.end());
    Arguments args(rest, options, verb->Synopsis());
    if (args.Has("help")) return Print(m_Help.OfVerb(*verb));
    if (args.Has("root")) UseRoot(args.Value("root"));
    size_t given = args.Operands().size();
    if (given > verb->MaxOperands())
        throw CliError::Usage(
            "unexpected operand '" + Output::Escape(args.Operand(verb->MaxOperands())) + "'",
            verb->Synopsis());
    if (given < verb->MinOperands()) throw CliError::Usage(Missing(*verb, given), verb->Synopsis());
    return verb->run(args);
}

int DeviceCli::Run(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    int status = 0;
    try {
        status = Dispatch(words);
        Output::Flush();
    } catch (const CliError& error) {
        std::fprintf(stderr, "brelta-device: %s\n", error.what());
        if (error.Status() == CliError::kUsage)
            std::fprintf(stderr, "Try 'brelta-device %s%s--help'.\n", m_HelpOf.c_str(),
                         m_HelpOf.empty() ? "" : " ");
        status = error.Status();
    }
    return status;
}

}  // namespace brelta::cli
