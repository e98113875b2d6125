// The string table's texts. They are shown to the operator exactly as written here, including the two
// spaces some of them keep after a full stop.
#include "res/StringTable.h"

#include <algorithm>

namespace dravo {
namespace {

constexpr StringEntry STRINGS[] = {
    {STR_UNABLE_TO_SETUP_SERVER, "ERROR - Unable to setup the network game server."},
    {STR_UNABLE_TO_USE_SERVICE, "ERROR - Unable to use the selected network service."},
    {STR_UNABLE_TO_ACCESS_SERVICES, "ERROR - Unable to access the available network services."},
    {STR_UNABLE_TO_JOIN_SESSION, "ERROR - Unable to join the selected game session."},
    {STR_UNABLE_TO_HOST_SESSION, "ERROR - Unable to host the game session."},
    {STR_UNABLE_TO_INIT_NETWORKING, "ERROR - Unable to initialize the networking system."},
    {STR_UNABLE_TO_ACCESS_RESOURCES, "ERROR - Unable to access the Dravo game resources.  Please make sure Dravo is "
                                     "installed properly and try again."},
    {STR_UNABLE_TO_LOAD_RESOURCES, "ERROR - Unable to load Dravo resources."},
    {STR_UNABLE_TO_LOAD_SERVER_LIBRARY, "ERROR - Unable to load SERVER.DLL."},
    {STR_UNABLE_TO_ACCESS_SERVER_LIBRARY, "ERROR - Unable to access SERVER.DLL."},
    {STR_OUT_OF_MEMORY, "ERROR - Out of memory.  The Dravo server will be shutdown."},
    {STR_HELP_RUN_SPEED, "Multiplies the player's run speed.\n\nDefault value is 1.0."},
    {STR_CAPTION_RUN_SPEED, "Server Option: Run Speed"},
    {STR_HELP_MISSILE_SPEED, "Multiplies the TOW missile speed.\n\nDefault value is 1.0."},
    {STR_CAPTION_MISSILE_SPEED, "Server Option: Missile Speed"},
    {STR_HELP_TIME_SPEED,
     "Multiplies the time speed of the world.\n\nDefault value is -1, which keeps each level's own time speed."},
    {STR_CAPTION_TIME_SPEED, "Server Option: World Time Speed"},
    {STR_HELP_NIGHT_COLOR, "Specifies the color of the night sky in red, green, and blue float value components "
                           "(from 0.0 to 1.0).  You can click the \"Night Color\" button to bring up a color picker "
                           "dialog.\n\nDefault value is \"0.5 0.5 0.5\"."},
    {STR_CAPTION_NIGHT_COLOR, "Server Option: World Night Color"},
    {STR_HELP_RESPAWN_SCALE, "Multiplies the respawn rate of items.\n\nDefault value is 1.0."},
    {STR_CAPTION_RESPAWN_SCALE, "Server Option: Respawn Scale"},
    {STR_HELP_HEAL_SCALE, "Scales how much health the health powerups give players.\n\nDefault value is 1.0."},
    {STR_CAPTION_HEAL_SCALE, "Server Option: Heal Scale"},
    {STR_SERVER_CAPTION, "Dravo Server"},
    {STR_DASH_GO_TIP, "Power users can specify the \"-go\" command-line parameter when running DravoSrv to skip all "
                      "the dialogs (the previous settings will be used).\n\nFor more information about DravoSrv, "
                      "please view the DravoSrv.txt file."},
    {STR_CONFIRM_EXIT, "Are you sure you want to exit?"},
    {STR_APPLICATION_NAME, "DravoServ"},
};

constexpr bool IsAscending() {
    for (size_t i = 1; i < std::size(STRINGS); ++i) {
        if (STRINGS[i - 1].m_Id >= STRINGS[i].m_Id) {
            return false;
        }
    }
    return true;
}
static_assert(IsAscending(), "string ids must be unique and ascending for the lookup");

} // namespace

std::optional<std::string_view> StringTable::Find(int id) {
    const auto* found = std::lower_bound(std::begin(STRINGS), std::end(STRINGS), id,
                                         [](const StringEntry& entry, int wanted) { return entry.m_Id < wanted; });
    if (found == std::end(STRINGS) || found->m_Id != id) {
        return std::nullopt;
    }
    return found->m_Text;
}

std::span<const StringEntry> StringTable::Entries() {
    return STRINGS;
}

} // namespace dravo
