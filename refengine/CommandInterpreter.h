// CommandInterpreter: runs the engine's console commands against its variables.
//
// Commands: the plus form that sets a variable ("+Name" "value"), set, a
// variable's name alone (prints it) or with a value (changes it), debuglevel,
// the nine game option commands, cvarlist, cmdlist, help, and commands the owner adds
// (the server object adds its hosting commands). Commands added as test aids run
// like any other but are listed by help and cmdlist only while the variable
// "testaids" is set to a number other than 0. Output goes into a list of
// lines that the caller hands to the front end once it has let go of its lock.
// Command names and variable names are matched without regard to case.
#pragma once

#include "CommandLine.h"
#include "VariableStore.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo::ref {

class CommandInterpreter {
public:
    using Output = std::vector<std::string>;

    using Handler = std::function<bool(const CommandLine& words, Output& output)>;

    explicit CommandInterpreter(VariableStore& variables) : m_Variables(variables) {}

    // Adds a command after the built-in ones; `help` is its line in the help text. The handler runs
    // with whatever lock the caller of Execute holds. A test aid is left out of the lists unless the
    // variable TEST_AIDS_VARIABLE turns them on.
    void AddCommand(std::string name, std::string help, Handler handler, bool testAid = false);
    static constexpr const char* TEST_AIDS_VARIABLE = "testaids";
    // Adds a line to the end of the help text (to describe variables the owner reads, say).
    void AddHelpLine(std::string line) { m_HelpLines.push_back(std::move(line)); }

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
    bool RunCommandList(const CommandLine& words, Output& output);
    bool ListsTestAids() const;
    bool RunSet(const CommandLine& words, Output& output);
    bool RunDebugLevel(const CommandLine& words, Output& output);
    bool RunOption(const Option& option, const CommandLine& words, Output& output);
    bool RunPlusForm(const CommandLine::PlusForm& form, Output& output);
    bool Assign(std::string_view name, std::string_view value, Output& output);
    void Print(const Variable& variable, Output& output) const;

    struct AddedCommand {
        std::string m_Name;
        std::string m_Help;
        Handler m_Run;
        bool m_TestAid = false;
    };

    VariableStore& m_Variables;
    std::vector<AddedCommand> m_Added;
    std::vector<std::string> m_HelpLines;
};

} // namespace dravo::ref
