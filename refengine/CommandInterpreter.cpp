// CommandInterpreter: runs the engine's console commands against its variables.
#include "CommandInterpreter.h"

#include "TextUtil.h"
#include "VariablesFile.h"

namespace dravo::ref {

namespace {

constexpr const char* DEBUG_LEVEL_VARIABLE = "debuglevel";

bool Fail(CommandInterpreter::Output& output, std::string text) {
    output.push_back(std::move(text));
    return false;
}

} // namespace

const CommandInterpreter::Option CommandInterpreter::OPTIONS[] = {
    {"TractorBeam", OptionKind::Toggle}, {"DoubleJump", OptionKind::Toggle},     {"RammingDamage", OptionKind::Toggle},
    {"RunSpeed", OptionKind::Number},    {"MissileSpeed", OptionKind::Number},   {"RespawnScale", OptionKind::Number},
    {"HealScale", OptionKind::Number},   {"WorldTimeSpeed", OptionKind::Number}, {"WorldColorNight", OptionKind::Text},
};

const CommandInterpreter::Command CommandInterpreter::COMMANDS[] = {
    {"help", "help - lists the console commands", &CommandInterpreter::RunHelp},
    {"cvarlist", "cvarlist [prefix] - lists the console variables and their values",
     &CommandInterpreter::RunVariableList},
    {"cmdlist", "cmdlist [prefix] - lists the names of the console commands", &CommandInterpreter::RunCommandList},
    {"set", "set Name value - creates a console variable or changes its value", &CommandInterpreter::RunSet},
    {"debuglevel", "debuglevel N - sets how much the engine reports (0 = least)", &CommandInterpreter::RunDebugLevel},
};

bool CommandInterpreter::Execute(std::string_view line, Output& output) {
    if (std::optional<CommandLine::PlusForm> plus = CommandLine::ParsePlusForm(line)) {
        return RunPlusForm(*plus, output);
    }
    const CommandLine words(line);
    if (words.Empty()) {
        return true;
    }
    const std::string& name = words.Word(0);
    for (const Command& command : COMMANDS) {
        if (TextUtil::EqualsNoCase(name, command.m_Name)) {
            return (this->*command.m_Run)(words, output);
        }
    }
    for (const AddedCommand& command : m_Added) {
        if (TextUtil::EqualsNoCase(name, command.m_Name)) {
            return command.m_Run(words, output);
        }
    }
    for (const Option& option : OPTIONS) {
        if (TextUtil::EqualsNoCase(name, option.m_Name)) {
            return RunOption(option, words, output);
        }
    }
    if (Variable* variable = m_Variables.Find(name)) {
        if (words.Count() == 1) {
            Print(*variable, output);
            return true;
        }
        variable->m_Text = words.Rest(0);
        return true;
    }
    return Fail(output, "Unknown command \"" + name + "\". Type help for a list of commands.");
}

bool CommandInterpreter::RunPlusForm(const CommandLine::PlusForm& form, Output& output) {
    if (!form.m_Assignment) {
        return Fail(output, "ERROR - " + form.m_Error);
    }
    return Assign(form.m_Assignment->m_Name, form.m_Assignment->m_Value, output);
}

bool CommandInterpreter::Assign(std::string_view name, std::string_view value, Output& output) {
    if (!VariableStore::IsValidName(name)) {
        return Fail(output, "ERROR - \"" + std::string(name) +
                                "\" is not a valid variable name (printable characters, no blanks or quotes).");
    }
    m_Variables.Set(name, value);
    return true;
}

bool CommandInterpreter::RunHelp(const CommandLine&, Output& output) {
    output.emplace_back("Console commands:");
    for (const Command& command : COMMANDS) {
        output.push_back(std::string("  ") + command.m_Help);
    }
    const bool testAids = ListsTestAids();
    for (const AddedCommand& command : m_Added) {
        if (!command.m_TestAid || testAids) {
            output.push_back("  " + command.m_Help);
        }
    }
    output.emplace_back("  \"+Name\" \"value\" - creates a console variable or replaces its value");
    output.emplace_back("  <name> [value] - shows a console variable, or changes it when a value follows");
    std::string options = "  Game options (name alone shows the value):";
    for (const Option& option : OPTIONS) {
        options += ' ';
        options += option.m_Name;
    }
    output.push_back(std::move(options));
    for (const std::string& line : m_HelpLines) {
        output.push_back(line);
    }
    return true;
}

void CommandInterpreter::AddCommand(std::string name, std::string help, Handler handler, bool testAid) {
    m_Added.push_back(AddedCommand{std::move(name), std::move(help), std::move(handler), testAid});
}

bool CommandInterpreter::ListsTestAids() const {
    const Variable* aids = m_Variables.Find(TEST_AIDS_VARIABLE);
    long long on = 0;
    return aids != nullptr && TextUtil::ParseWholeNumber(aids->m_Text, on) && on != 0;
}

// One name a line, built-in commands, added ones and the game options, then the count.
bool CommandInterpreter::RunCommandList(const CommandLine& words, Output& output) {
    const std::string prefix = words.Count() > 1 ? TextUtil::ToLower(words.Word(1)) : std::string();
    std::vector<std::string> names;
    for (const Command& command : COMMANDS) {
        names.emplace_back(command.m_Name);
    }
    const bool testAids = ListsTestAids();
    for (const AddedCommand& command : m_Added) {
        if (!command.m_TestAid || testAids) {
            names.push_back(command.m_Name);
        }
    }
    for (const Option& option : OPTIONS) {
        names.emplace_back(option.m_Name);
    }
    size_t shown = 0;
    for (std::string& name : names) {
        if (TextUtil::ToLower(name).starts_with(prefix)) {
            output.push_back(std::move(name));
            ++shown;
        }
    }
    output.push_back(std::to_string(shown) + (shown == 1 ? " command" : " commands"));
    return true;
}

bool CommandInterpreter::RunVariableList(const CommandLine& words, Output& output) {
    const std::string prefix = words.Count() > 1 ? TextUtil::ToLower(words.Word(1)) : std::string();
    size_t shown = 0;
    for (const auto& variable : m_Variables.All()) {
        if (TextUtil::ToLower(variable->m_Name).starts_with(prefix)) {
            Print(*variable, output);
            ++shown;
        }
    }
    output.push_back(std::to_string(shown) + (shown == 1 ? " variable" : " variables"));
    return true;
}

bool CommandInterpreter::RunSet(const CommandLine& words, Output& output) {
    if (words.Count() < 2) {
        return Fail(output, "Usage: set Name value");
    }
    return Assign(words.Word(1), words.Rest(1), output);
}

bool CommandInterpreter::RunDebugLevel(const CommandLine& words, Output& output) {
    if (words.Count() == 1) {
        const Variable* level = m_Variables.Find(DEBUG_LEVEL_VARIABLE);
        output.push_back(std::string("debuglevel is ") + (level ? level->m_Text : std::string("0")));
        return true;
    }
    long long level = 0;
    if (words.Count() != 2 || !TextUtil::ParseWholeNumber(words.Word(1), level) || level < 0 || level > 9) {
        return Fail(output, "Usage: debuglevel N, with N from 0 to 9");
    }
    m_Variables.Set(DEBUG_LEVEL_VARIABLE, std::to_string(level));
    return true;
}

bool CommandInterpreter::RunOption(const Option& option, const CommandLine& words, Output& output) {
    if (words.Count() == 1) {
        if (const Variable* variable = m_Variables.Find(option.m_Name)) {
            Print(*variable, output);
        } else {
            output.push_back(std::string(option.m_Name) + " is not set");
        }
        return true;
    }
    const std::string value = words.Rest(0);
    switch (option.m_Kind) {
    case OptionKind::Toggle: {
        long long toggle = 0;
        if (!TextUtil::ParseWholeNumber(value, toggle) || (toggle != 0 && toggle != 1)) {
            return Fail(output, std::string("Usage: ") + option.m_Name + " 0|1");
        }
        m_Variables.Set(option.m_Name, std::to_string(toggle));
        return true;
    }
    case OptionKind::Number: {
        double number = 0.0;
        if (!TextUtil::ParseNumber(value, number)) {
            return Fail(output, std::string("Usage: ") + option.m_Name + " number (for example 1.000000)");
        }
        m_Variables.Set(option.m_Name, TextUtil::Trim(value));
        return true;
    }
    case OptionKind::Text:
        m_Variables.Set(option.m_Name, value);
        return true;
    }
    return false;
}

void CommandInterpreter::Print(const Variable& variable, Output& output) const {
    output.push_back(variable.m_Name + " is " + VariablesFile::Quote(variable.m_Text));
}

} // namespace dravo::ref
