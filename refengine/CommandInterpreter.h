// CommandInterpreter: runs the engine's console commands against its variables.
//
// Commands: the plus form that sets a variable ("+Name" "value"), set, a
// variable's name alone (prints it) or with a value (changes it), debuglevel,
// the nine game option commands, cvarlist and help. Output goes into a list of
// lines that the caller hands to the front end once it has let go of its lock.
// Command names and variable names are matched without regard to case.
#pragma once

#include "CommandLine.h"
#include "VariableStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace dravo::ref {

class CommandInterpreter {
public:
    using Output = std::vector<std::string>;

    explicit CommandInterpreter(VariableStore& variables) : m_Variables(variables) {}

    // Runs one line. False when the command is unknown or failed; the reason is then the last line of output.
    [[nodiscard]] bool Execute(std::string_view line, Output& output);

private:
    enum class OptionKind { Toggle, Number, Text };
    struct Option {
        const char* m_Name;
        OptionKind m_Kind;
    };
    struct Command {
        const char* m_Name;
        const char* m_Help;
        bool (CommandInterpreter::*m_Run)(const CommandLine& words, Output& output);
    };
    static const Option OPTIONS[];
    static const Command COMMANDS[];

    bool RunHelp(const CommandLine& words, Output& output);
    bool RunVariableList(const CommandLine& words, Output& output);
    bool RunSet(const CommandLine& words, Output& output);
    bool RunDebugLevel(const CommandLine& words, Output& output);
    bool RunOption(const Option& option, const CommandLine& words, Output& output);
    bool RunPlusForm(const CommandLine::PlusForm& form, Output& output);
    bool Assign(std::string_view name, std::string_view value, Output& output);
    void Print(const Variable& variable, Output& output) const;

    VariableStore& m_Variables;
};

} // namespace dravo::ref
