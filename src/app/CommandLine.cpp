// Parsing the command line.
#include "app/CommandLine.h"

#include "app/WindowSystemFactory.h"
#include "platform/os/SignalWatcher.h"
#include "platform/os/Text.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>

namespace dravo {
namespace {

// The text after the program name, upper-cased.
std::string UpperCommandLine(const std::vector<std::string>& arguments) {
    std::string text;
    for (size_t index = 1; index < arguments.size(); ++index) {
        if (index > 1) {
            text += ' ';
        }
        text += arguments[index];
    }
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return text;
}

// Options of this port that take the next argument as their value.
constexpr std::array<std::string_view, 5> OPTIONS_WITH_VALUE = {"-DLL", "-CONFIG", "-face", "-logfile", "-logformat"};

constexpr std::array<std::string_view, 9> OPTION_NAMES = {"-DLL",     "-CONFIG",    "-go",   "-emptyexit", "-face",
                                                          "-logfile", "-logformat", "-help", "+Key value"};

// "text" or "json" in any case; the usage error otherwise.
std::string ReadLogFormat(const std::string& value, LogFormat& format) {
    const std::string lower = ToLower(value);
    if (lower == "text" || lower == "json") {
        format = lower == "json" ? LogFormat::Json : LogFormat::Text;
        return {};
    }
    return "ERROR - Unknown log format \"" + value + "\": use text or json.";
}

bool TakesValue(std::string_view argument) {
    return std::any_of(OPTIONS_WITH_VALUE.begin(), OPTIONS_WITH_VALUE.end(),
                       [argument](std::string_view name) { return EqualNoCase(argument, name); });
}

// A console variable name: at most 255 characters (what the engine takes), printable, without blanks or
// double quotes (it is quoted in the command).
constexpr size_t MAX_VARIABLE_NAME_CHARS = 255;

bool IsValidOverrideKey(std::string_view key) {
    return !key.empty() && key.size() <= MAX_VARIABLE_NAME_CHARS &&
           std::all_of(key.begin(), key.end(), [](char c) { return c > ' ' && c <= '~' && c != '"'; });
}

// The "+Key value" pairs, in order; the indices of the arguments that are values of options or
// overrides go into `values`. Returns why they cannot be used, or nothing.
std::string CollectOverrides(const std::vector<std::string>& arguments, std::vector<SettingOverride>& overrides,
                             std::set<size_t>& values) {
    for (size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (TakesValue(argument)) {
            if (index + 1 < arguments.size()) {
                values.insert(++index);
            }
            continue;
        }
        if (argument.empty() || argument[0] != '+') {
            continue;
        }
        const std::string key = argument.substr(1);
        if (!IsValidOverrideKey(key)) {
            return "ERROR - \"" + argument +
                   "\" is not an override: write +Key value, with a name of at most 255 printable characters "
                   "without blanks or quotes after the plus sign.";
        }
        if (index + 1 >= arguments.size()) {
            return std::string("ERROR - The override ")
                .append(argument)
                .append(" has no value: write ")
                .append(argument)
                .append(" value (quote a value that holds blanks; \"\" for an empty one).");
        }
        const std::string& value = arguments[++index];
        values.insert(index);
        if (value.find_first_of("\r\n") != std::string::npos) {
            return "ERROR - The value of the override " + argument + " holds a line break.";
        }
        // The command is "+Key" "value": the key and value with six more characters must fit.
        if (key.size() + value.size() + 6 >= SETTING_COMMAND_SIZE) {
            return "ERROR - The override " + argument + " is too long (key and value at most " +
                   std::to_string(SETTING_COMMAND_SIZE - 7) + " characters together).";
        }
        overrides.push_back(SettingOverride{key, value});
    }
    return {};
}

} // namespace

namespace {

enum class Occurrence { First, Last };

// The value after the first or last `name` (matched without regard to case). An option in the last place
// has no value after it and does not count.
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, std::string_view name,
                                       Occurrence which) {
    std::optional<std::string> value;
    for (size_t index = 1; index + 1 < arguments.size(); ++index) {
        if (EqualNoCase(arguments[index], name)) {
            value = arguments[index + 1];
            if (which == Occurrence::First) {
                break;
            }
        }
    }
    return value;
}

// A name that can only be a directory's: its last part is empty, "." or "..".
bool NamesDirectory(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return last.empty() || last == "." || last == "..";
}

// Why the options cannot be used, or nothing.
std::string CheckOptions(const CommandLineOptions& options, bool logFileGiven) {
    if (logFileGiven && options.m_LogFilePath.empty()) {
        return "ERROR - The log file name is empty.";
    }
    if (!options.m_Face.empty() && !FindFace(options.m_Face)) {
        return "ERROR - Unknown face \"" + options.m_Face + "\": use " + FaceNames(" or ") + ".";
    }
    if (options.m_ConfigPath.size() >= CONFIG_PATH_SIZE) {
        return "ERROR - The configuration file name is too long (at most " + std::to_string(CONFIG_PATH_SIZE - 1) +
               " characters).";
    }
    if (options.m_ConfigPath.empty()) {
        return "ERROR - The configuration file name is empty.";
    }
    if (NamesDirectory(options.m_ConfigPath)) {
        return "ERROR - The configuration file name \"" + options.m_ConfigPath + "\" names a directory, not a file.";
    }
    return {};
}

// -help and its other spellings, unless the word is the value of an option or override.
bool AsksForHelp(const std::vector<std::string>& arguments, const std::set<size_t>& values) {
    for (size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (!values.contains(index) && // "+ServerName -help" names a server
            (argument == "-help" || argument == "--help" || argument == "-h" || argument == "-?")) {
            return true;
        }
    }
    return false;
}

} // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments, const std::string& defaultLibraryPath) {
    CommandLineOptions options;
    options.m_LibraryPath = OptionValue(arguments, "-DLL", Occurrence::First).value_or(defaultLibraryPath);
    options.m_ConfigPath = OptionValue(arguments, "-CONFIG", Occurrence::Last).value_or(DEFAULT_CONFIG_PATH);
    options.m_Face = ToLower(OptionValue(arguments, "-face", Occurrence::Last).value_or(""));
    const std::optional<std::string> logFile = OptionValue(arguments, "-logfile", Occurrence::Last);
    options.m_LogFilePath = logFile.value_or("");
    const std::optional<std::string> logFormat = OptionValue(arguments, "-logformat", Occurrence::Last);
    options.m_LogFormatGiven = logFormat.has_value();

    std::set<size_t> values;
    options.m_Error = CollectOverrides(arguments, options.m_Overrides, values);
    if (options.m_Error.empty()) {
        options.m_Error = CheckOptions(options, logFile.has_value());
    }
    if (options.m_Error.empty() && logFormat) {
        options.m_Error = ReadLogFormat(*logFormat, options.m_LogFormat);
    }
    const std::string upper = UpperCommandLine(arguments);
    options.m_SkipWizard = upper.find("-GO") != std::string::npos;
    options.m_EmptyExit = upper.find("-EMPTYEXIT") != std::string::npos;
    options.m_ShowHelp = AsksForHelp(arguments, values);
    return options;
}

void ApplyLogFormatVariable(CommandLineOptions& options, const char* value) {
    if (options.m_LogFormatGiven || value == nullptr || *value == '\0') {
        return;
    }
    const std::string error = ReadLogFormat(value, options.m_LogFormat);
    if (options.m_Error.empty() && !error.empty()) {
        options.m_Error = error + std::string(" (from ") + LOG_FORMAT_VARIABLE + ")";
    }
}

std::string CommandLineHelp(const std::string& defaultLibraryPath) {
    const std::string libraryName = std::filesystem::path(defaultLibraryPath).filename().string();
    const std::string reopening = SignalWatcher::Exists(Signal::Hangup) ? "SIGHUP reopens it, for log rotation"
                                                                        : "rotate it while the server is stopped";
    return "Usage: dravoserv [-DLL path] [-CONFIG file] [-go] [-emptyexit] [-face " + FaceNames("|") +
           "]\n"
           "                 [-logfile file] [-logformat text|json] [+Key value]... [-help]\n"
           "\n"
           "Hosts a Dravo game. Start it in the game's installation directory, the one that\n"
           "holds \"dravo.rez\" or the \"dravo\" directory. The operator's guide is DravoSrv.txt.\n"
           "\n"
           "  -DLL path      the engine's server library\n"
           "                 (default: " +
           libraryName + " beside this program, here " + defaultLibraryPath +
           ")\n"
           "  -CONFIG file   the configuration file loaded at start and saved at exit\n"
           "                 (default: dravosrv.cfg in the current directory)\n"
           "  -go            skip the setup and reuse the saved settings; holding Shift at\n"
           "                 start-up inverts it where the terminal can tell\n"
           "  -emptyexit     shut down once the server has stayed empty for EmptyExitDelay\n"
           "                 seconds (60 unless set)\n"
           "  -face NAME     one of " +
           FaceNames(", ") +
           ". headless: the console log on standard output, each line of\n"
           "                 standard input a console command (lines beginning with / are window\n"
           "                 actions: /help lists them); terminal: screens in the terminal; win32:\n"
           "                 dialogs on the desktop. Default: " +
           std::string(DefaultFaceRule()) +
           "\n"
           "  -logfile file  append the console log to this file too, each line with its local\n"
           "                 time (ISO 8601); " +
           reopening +
           "\n"
           "  -logformat F   text (the default) or json: one JSON event a line on standard\n"
           "                 output (headless face) and in the log file; the environment\n"
           "                 variable " +
           std::string(LOG_FORMAT_VARIABLE) +
           " chooses it when this option is not given\n"
           "  +Key value     set a setting or engine variable right after the configuration\n"
           "                 file is loaded, as the console command \"+Key\" \"value\" would\n"
           "                 (for example +ServerName \"Night Owls\" +EmptyExitDelay 120)\n"
           "  -help          show this text and exit\n"
           "\n"
           "-DLL, -CONFIG, -face, -logfile and -logformat are matched without regard to case.\n"
           "-go and -emptyexit are found anywhere in the command line, in any case, even\n"
           "inside other words, file names and the values of overrides.\n"
           "\n"
           "Exit status: 0 after a normal run, 1 when start-up fails, 2 for a bad command\n"
           "line, 3 when the configuration file could not be saved, 4 when the engine ran\n"
           "out of memory, 5 when told to stop (SIGTERM, SIGINT, Ctrl+C) before the game was\n"
           "hosted; nothing is saved then.\n";
}

std::span<const std::string_view> CommandLineOptionNames() {
    return OPTION_NAMES;
}

} // namespace dravo
