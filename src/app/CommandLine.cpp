// Parsing the command line.
#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace dravo {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

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

} // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments, const std::string& defaultLibraryPath) {
    CommandLineOptions options;
    options.m_LibraryPath = defaultLibraryPath;

    // An option in the last place has no value after it and does not count.
    const size_t withValue = arguments.empty() ? 0 : arguments.size() - 1;
    for (size_t index = 0; index < withValue; ++index) {
        if (EqualNoCase(arguments[index], "-DLL")) {
            options.m_LibraryPath = arguments[index + 1];
            break;
        }
    }
    for (size_t index = 0; index < withValue; ++index) {
        if (EqualNoCase(arguments[index], "-CONFIG")) {
            options.m_ConfigPath = arguments[index + 1];
        }
    }
    for (size_t index = 0; index < withValue; ++index) {
        if (EqualNoCase(arguments[index], "-face")) {
            options.m_Face = arguments[index + 1];
            std::transform(options.m_Face.begin(), options.m_Face.end(), options.m_Face.begin(),
                           [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        }
    }
    if (!options.m_Face.empty() && options.m_Face != "headless" && options.m_Face != "terminal") {
        options.m_Error = "ERROR - Unknown face \"" + options.m_Face + "\": use headless or terminal.";
    } else if (options.m_ConfigPath.size() >= CONFIG_PATH_SIZE) {
        options.m_Error = "ERROR - The configuration file name is too long (at most " +
                          std::to_string(CONFIG_PATH_SIZE - 1) + " characters).";
    } else if (options.m_ConfigPath.empty()) {
        options.m_Error = "ERROR - The configuration file name is empty.";
    }

    const std::string upper = UpperCommandLine(arguments);
    options.m_SkipWizard = upper.find("-GO") != std::string::npos;
    options.m_EmptyExit = upper.find("-EMPTYEXIT") != std::string::npos;

    for (size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "-help" || argument == "--help" || argument == "-h" || argument == "-?") {
            options.m_ShowHelp = true;
        }
    }
    return options;
}

std::string CommandLineHelp(const std::string& defaultLibraryPath) {
    return "Usage: dravoserv [-DLL path] [-CONFIG file] [-go] [-emptyexit] [-face headless|terminal] [-help]\n"
           "\n"
           "Hosts a Dravo game. Start it in the game's installation directory, the one that\n"
           "holds \"dravo.rez\" or the \"dravo\" directory.\n"
           "\n"
           "  -DLL path      the engine's server library\n"
           "                 (default: server.so beside this program, here " +
           defaultLibraryPath +
           ")\n"
           "  -CONFIG file   the configuration file loaded at start and saved at exit\n"
           "                 (default: dravosrv.cfg in the current directory)\n"
           "  -go            skip the setup and reuse the saved settings; holding Shift at\n"
           "                 start-up inverts it where the terminal can tell\n"
           "  -emptyexit     shut down once the server has stayed empty for EmptyExitDelay\n"
           "                 seconds (60 unless set)\n"
           "  -face NAME     headless: the console log on standard output, each line of standard\n"
           "                 input a console command (lines beginning with / are window actions:\n"
           "                 /help lists them); terminal: screens in the terminal. Default:\n"
           "                 terminal when standard input and output are terminals, else headless\n"
           "  -help          show this text and exit\n"
           "\n"
           "-DLL and -CONFIG are matched without regard to case. -go and -emptyexit are found\n"
           "anywhere in the command line, in any case, even inside other words or file names.\n"
           "\n"
           "Exit status: 0 after a normal run, 1 when start-up fails, 2 for a bad command\n"
           "line, 3 when the configuration file could not be saved.\n";
}

} // namespace dravo
