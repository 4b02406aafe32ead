#ifndef BRELTA_CLI_ARGUMENTS_H
#define BRELTA_CLI_ARGUMENTS_H

#include <map>
#include <string>
#include <vector>

#include "Verb.h"

namespace brelta::cli {

// The words of a command line split by getopt_long into options and operands. Options may
// stand before, between or after the operands; "--" ends them; a word such as "-12" is an
// operand (a negative number), so that "fault set connection_create -12" needs no "--".
class Arguments {
public:
    // Takes the `declared` options; throws a usage error naming `synopsis` for an unknown
    // option or a missing value. With `stopAtOperand`, the first operand ends the options: it
    // and every word after it are operands (the global options end at the command).
    Arguments(const std::vector<std::string>& words, const std::vector<Option>& declared,
              const std::string& synopsis, bool stopAtOperand = false);

    bool Has(const std::string& name) const { return m_Options.count(name) != 0; }
    // The last value given to the option, or `fallback`.
    std::string Value(const std::string& name, const std::string& fallback = "") const;
    // Every value given to a repeatable option, in order.
    std::vector<std::string> Values(const std::string& name) const;
    const std::vector<std::string>& Operands() const { return m_Operands; }
    // The value of a count option (-n N): a decimal number of at most nine digits, else a usage
    // error that calls it a number of `noun`; `fallback` without the option.
    long long Count(const std::string& name, const std::string& noun, long long fallback) const;
    // The operand at `index`, or `fallback` past the last.
    std::string Operand(size_t index, const std::string& fallback = "") const;

private:
    std::map<std::string, std::vector<std::string>> m_Options;
    std::vector<std::string> m_Operands;
};

}  // namespace brelta::cli

#endif
