// The table of the guide's error messages and their event names.
#include "host/console/ErrorEvents.h"

#include <array>

namespace dravo {
namespace {

// Longer prefixes before shorter ones that begin the same way ("Unable to host the game session." before
// "Unable to host the game.").
constexpr std::array<ErrorEvent, 45> ERROR_EVENTS = {{
    {"ERROR - Unable to load SERVER.DLL.", "error.library_load"},
    {"ERROR - Unable to access SERVER.DLL.", "error.library_access"},
    {"ERROR - Unable to access the Dravo game resources.", "error.resources_missing"},
    {"ERROR - Unable to load Dravo resources.", "error.resources_load"},
    {"ERROR - The resource file name \"", "error.rez_name_too_long"},
    {"ERROR - Too many resource files: ", "error.rez_too_many"},
    {"ERROR - Unable to initialize the networking system.", "error.network_init"},
    {"ERROR - Unable to access the available network services.", "error.network_services"},
    {"ERROR - Unable to use the selected network service.", "error.network_service"},
    {"ERROR - Unable to setup the network game server.", "error.network_setup"},
    {"ERROR - Unable to join the selected game session.", "error.session_join"},
    {"ERROR - Unable to host the game session.", "error.session_host"},
    {"ERROR - Unable to read the configuration file \"", "error.config_read"},
    {"ERROR - The setup pages need a ", "error.setup_needs_terminal"}, // a terminal; on Windows a window
    {"ERROR - This terminal cannot show the dialogs;", "error.terminal_unusable"},
    {"ERROR - There is no terminal face on Windows;", "error.no_terminal_face"},
    {"ERROR - Unknown face \"", "error.usage_face"},
    {"ERROR - Unknown log format \"", "error.usage_log_format"},
    {"ERROR - The configuration file name is too long", "error.usage_config_too_long"},
    {"ERROR - The configuration file name is empty.", "error.usage_config_empty"},
    {"ERROR - The log file name is empty.", "error.usage_logfile_empty"},
    {"ERROR - \"+", "error.usage_override_form"},
    {"ERROR - The value of the override +", "error.usage_override_line_break"},
    {"ERROR - The override +", "error.usage_override"},
    {"ERROR - Unable to save the configuration file \"", "error.config_save"},
    {"ERROR - The configuration file name \"", "error.usage_config_directory"},
    {"ERROR - The configuration file \"", "error.config_left_as_it_was"},
    {"ERROR - Unable to use the configuration file \"", "error.config_lock"},
    {"ERROR - Another DravoServ (process ", "error.config_in_use"},
    {"ERROR - Out of memory.", "error.out_of_memory"},
    {"ERROR - Unable to host the game.", "error.host_game"},
    {"ERROR - Unable to start world: ", "error.start_world"},
    {"ERROR - The update thread did not stop within ", "error.update_thread_stop"},
    {"ERROR - The web registration requests did not end in time;", "error.webreg_left_behind"},
    {"ERROR - The game began a level change and did not end it.", "error.level_change_unended"},
    {"ERROR - The game did not let go of its settings in time;", "error.settings_busy"},
    {"ERROR - The game did not let go of its options in time;", "error.options_busy"},
    {"ERROR - The game options dialog needs a ", "error.options_need_terminal"}, // a terminal, or a window
    {"ERROR - Unable to write the log file \"", "error.logfile_write"},
    {"ERROR - The remote console cannot listen on TCP ", "error.rcon_listen"},
    {"ERROR - The metrics endpoint cannot listen on TCP ", "error.metrics_listen"},
    {"ERROR - The remote console cannot start.", "error.rcon_start"},
    {"ERROR - The ban holds until the server stops but was not saved: ", "error.ban_not_saved"},
    {"ERROR - The server cannot stop from here: no console window is open.", "error.stop_no_console"},
    {"ERROR - ", "error.other"},
}};

} // namespace

std::span<const ErrorEvent> ErrorEvents() {
    return ERROR_EVENTS;
}

std::optional<std::string_view> FindErrorEvent(std::string_view text) {
    // The log file's own lines on standard error carry the program's name before the error.
    constexpr std::string_view PROGRAM = "DravoServ: ";
    if (text.starts_with(PROGRAM) && text.substr(PROGRAM.size()).starts_with("ERROR - ")) {
        text.remove_prefix(PROGRAM.size());
    }
    for (const ErrorEvent& error : ERROR_EVENTS) {
        if (text.starts_with(error.m_Prefix)) {
            return error.m_Name;
        }
    }
    return std::nullopt;
}

} // namespace dravo
