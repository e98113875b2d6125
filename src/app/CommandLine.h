// The command line: -DLL, -CONFIG, the -GO and -EMPTYEXIT switches, the options
// of this port (-face, -logfile, -help) and the "+Key value" overrides.
//
// -DLL and -CONFIG are whole arguments compared without regard to case, each
// taking the next argument. The two switches are found as substrings of the
// upper-cased command line, so "-go" anywhere (even inside a file name such as
// "my-goal.cfg" or an override's value) counts.
#pragma once

#include "settings/SettingOverride.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

constexpr size_t CONFIG_PATH_SIZE = 256; // with its terminator
inline constexpr const char* DEFAULT_CONFIG_PATH = "dravosrv.cfg";

// How the console log is written on standard output and to the log file.
enum class LogFormat {
    Text, // the plain lines (the default)
    Json, // one JSON event a line
};
// The environment variable that chooses the log format when -logformat is not given (containers).
inline constexpr const char* LOG_FORMAT_VARIABLE = "DRAVO_LOG_FORMAT";

struct CommandLineOptions {
    std::string m_LibraryPath;                      // engine library; the default unless -DLL names one
    std::string m_ConfigPath = DEFAULT_CONFIG_PATH; // loaded by the setup and saved at exit
    bool m_SkipWizard = false;                      // "-GO": reuse the saved settings
    bool m_EmptyExit = false;                       // "-EMPTYEXIT": end when the server stays empty
    bool m_ShowHelp = false;                        // "-help", "--help", "-h" or "-?"
    std::string m_Face;                             // "-face": "headless" or "terminal"; empty chooses by the terminal
    std::string m_LogFilePath;                      // "-logfile": the console log is appended there too; empty = none
    LogFormat m_LogFormat = LogFormat::Text;        // "-logformat text|json"
    bool m_LogFormatGiven = false;                  // -logformat was on the command line
    std::vector<SettingOverride> m_Overrides;       // "+Key value" pairs, in command-line order
    std::string m_Error;                            // why the command line cannot be used; empty when fine
};

// arguments[0] is the program path.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments, const std::string& defaultLibraryPath);

// Takes the log format from the environment variable's value (may be null) unless -logformat gave one;
// a value that names no format is a usage error.
void ApplyLogFormatVariable(CommandLineOptions& options, const char* value);

// The usage text that -help prints.
std::string CommandLineHelp(const std::string& defaultLibraryPath);

// Every option the program knows, spelled as the usage text spells it ("+Key" stands for the overrides).
std::span<const std::string_view> CommandLineOptionNames();

} // namespace dravo
