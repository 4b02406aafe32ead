#ifndef BRELTA_CLI_ARGUMENTS_H
#define BRELTA_CLI_ARGUMENTS_H

#include <map>
#include <string>
#include <vector>

namespace brelta::cli {

// One option a command takes: --name, optionally -letter, with or without a value.
struct OptionDecl {
    const char* name;
    char letter;  // 0: none
    bool takesValue;
};

// The words of a command line split by getopt_long into options and operands. Options may
// stand before, between or after the operands; "--" ends them; a word such as "-12" is an
// operand (a negative number), so that "fault set connection_create -12" needs no "--".
// Every command takes --help (-h).
class Arguments {
public:
    // Throws a usage error naming `synopsis` for an unknown option or a missing value. With
    // `stopAtOperand`, the first operand ends the options: it and every word after it are
    // operands (the global options end at the command).
    Arguments(const std::vector<std::string>& words, const std::vector<OptionDecl>& declared,
              const std::string& synopsis, bool stopAtOperand = false);

    bool Has(const std::string& name) const { return m_Options.count(name) != 0; }
    // The last value given to the option, or `fallback`.
    std::string Value(const std::string& name, const std::string& fallback = "") const;
    // Every value given to a repeatable option, in order.
    std::vector<std::string> Values(const std::string& name) const;
    const std::vector<std::string>& Operands() const { return m_Operands; }
    // A usage error unless min <= operands <= max.
    void RequireOperands(size_t min, size_t max) const;
    const std::string& Synopsis() const { return m_Synopsis; }

private:
    std::map<std::string, std::vector<std::string>> m_Options;
    std::vector<std::string> m_Operands;
    std::string m_Synopsis;
};

}  // namespace brelta::cli

#endif
