// SettingOverride: one "+Key value" pair of the command line, stored right after the
// configuration file is loaded.
#pragma once

#include <string>

namespace dravo {

struct SettingOverride {
    std::string m_Key;   // the variable name, without the plus sign
    std::string m_Value; // its text, unchanged
    bool operator==(const SettingOverride&) const = default;
};

} // namespace dravo
