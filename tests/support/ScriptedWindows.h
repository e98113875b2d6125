// ScriptedWindows: the scripted face as the tests use it: a script that was added but never ran fails
// the test, since the dialog it was written for never showed.
#pragma once

#include "support/ScriptedWindowSystem.h"

#include <gtest/gtest.h>

#include <string>

namespace dravo::test {

class ScriptedWindows : public ScriptedWindowSystem {
public:
    ~ScriptedWindows() override {
        for (const std::string& key : UnusedScriptKeys()) {
            ADD_FAILURE() << "the script for dialog " << key << " never ran";
        }
    }
};

} // namespace dravo::test
