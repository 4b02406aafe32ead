#include "Verb.h"

namespace brelta::cli {

std::string Verb::Path() const {
    return *group == '\0' ? std::string(name) : std::string(group) + " " + name;
}

std::string Verb::Synopsis() const {
    std::string synopsis = Path();
    for (const Option& option : options)
        synopsis += " [" + OptionWord(option) + "]" + (option.repeats ? "..." : "");
    for (const Operand& operand : operands) {
        std::string word = operand.name;
        switch (operand.arity) {
            case Arity::kOne:
                break;
            case Arity::kOptional:
                word = "[" + word + "]";
                break;
            case Arity::kOneOrMore:
                word += "...";
                break;
            case Arity::kAny:
                word = "[" + word + "...]";
                break;
        }
        synopsis += " " + word;
    }
    return synopsis;
}

size_t Verb::MinOperands() const {
    size_t count = 0;
    for (const Operand& operand : operands)
        count += operand.arity == Arity::kOne || operand.arity == Arity::kOneOrMore;
    return count;
}

size_t Verb::MaxOperands() const {
    size_t count = 0;
    for (const Operand& operand : operands) {
        if (operand.arity == Arity::kOneOrMore || operand.arity == Arity::kAny)
            return static_cast<size_t>(-1);
        ++count;
    }
    return count;
}

const Operand* Verb::OperandAt(size_t index) const {
    for (const Operand& operand : operands) {
        if (index == 0 || operand.arity == Arity::kOneOrMore || operand.arity == Arity::kAny)
            return &operand;
        --index;
    }
    return nullptr;
}

const Option* FindOption(const std::vector<Option>& options, const std::string& word) {
    for (const Option& option : options)
        if (word == std::string("--") + option.name ||
            (option.letter != 0 && word == std::string("-") + option.letter))
            return &option;
    return nullptr;
}

const Group* Table::FindGroup(const std::string& name) const {
    for (const Group& group : groups)
        if (name == group.name) return &group;
    return nullptr;
}

const Verb* Table::FindVerb(const std::string& group, const std::string& name) const {
    for (const Verb& verb : verbs)
        if (group == verb.group && name == verb.name) return &verb;
    return nullptr;
}

std::string OptionWord(const Option& option) {
    std::string word =
        option.letter != 0 ? std::string("-") + option.letter : std::string("--") + option.name;
    return option.value == Kind::None ? word : word + " " + option.meta;
}

std::string OptionLabel(const Option& option) {
    std::string label = option.letter != 0 ? std::string("-") + option.letter + ", " : "";
    label += std::string("--") + option.name;
    return option.value == Kind::None ? label : label + " " + option.meta;
}

}  // namespace brelta::cli
