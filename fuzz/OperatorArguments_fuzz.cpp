// Fuzzes the readers of the operator's arguments and of the ban details file with the input as a
// command line and as the file: a duration read is within its bounds and shows again, every record
// kept has a name a ban file can hold, and a record written and read again is the same.
#include "host/commands/CommandArguments.h"
#include "host/game/BanBook.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int64_t seconds = 0;
    if (dravo::ParseDuration(text, seconds) == dravo::DurationRead::Valid &&
        (seconds <= 0 || seconds > dravo::MAX_DURATION_SECONDS || dravo::FormatDuration(seconds).empty())) {
        std::abort();
    }
    std::string error;
    const auto arguments = dravo::ParseTargetArguments(text.substr(0, 119), true, error);
    if (arguments && arguments->m_Seconds && *arguments->m_Seconds > dravo::MAX_DURATION_SECONDS) {
        std::abort();
    }
    (void)dravo::MatchLevels({"Worlds\\Multi\\Frostline", "Basin"}, text);
    for (const dravo::BanRecord& record : dravo::ParseBanDetails(text).m_Records) {
        std::string why;
        const auto again = dravo::ParseBanRecord(dravo::FormatBanRecord(record), why);
        if (!dravo::IsBannableName(record.m_Name) || !again || !(*again == record)) {
            std::abort();
        }
    }
    return 0;
}
