// Loading the engine library: each way it can fail, and the real reference engine.
#include "engine/loader/ServerLibrary.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace dravo {
namespace {

TEST(ServerLibrary, MissingFileFailsToLoad) {
    ServerLibrary library;
    EXPECT_FALSE(library.LoadServerLibrary("/nonexistent/server.so"));
    EXPECT_EQ(library.Failure(), LoadFailure::LibraryNotLoaded);
    EXPECT_EQ(library.GetServer(), nullptr);
    EXPECT_FALSE(library.FailureText().empty());
}

TEST(ServerLibrary, MissingExportFailsToLoad) {
    for (const char* name : {"NoCreateServer", "NoDeleteServer"}) {
        ServerLibrary library;
        EXPECT_FALSE(library.LoadServerLibrary(test::TestLib(name))) << name;
        EXPECT_EQ(library.Failure(), LoadFailure::ExportMissing) << name;
        EXPECT_EQ(library.GetServer(), nullptr);
    }
}

TEST(ServerLibrary, CreateServerFailureFailsToLoad) {
    ServerLibrary library;
    EXPECT_FALSE(library.LoadServerLibrary(test::TestLib("CreateServerFails")));
    EXPECT_EQ(library.Failure(), LoadFailure::CreateFailed);
    EXPECT_EQ(library.GetServer(), nullptr);
}

TEST(ServerLibrary, SuccessWithoutObjectLoadsButHasNoServer) {
    unsetenv("DRAVO_TESTLIB_DELETED");
    {
        ServerLibrary library;
        EXPECT_TRUE(library.LoadServerLibrary(test::TestLib("CreateServerNoObject")));
        EXPECT_EQ(library.GetServer(), nullptr);
        library.UnloadServerLibrary();
        EXPECT_STREQ(getenv("DRAVO_TESTLIB_DELETED"), "1");
    }
    unsetenv("DRAVO_TESTLIB_DELETED");
}

TEST(ServerLibrary, ReferenceEngineGivesAServerObject) {
    ServerLibrary library;
    ASSERT_TRUE(library.LoadServerLibrary(test::ServerLibraryPath().string())) << library.FailureText();
    EngineServer* server = library.GetServer();
    ASSERT_NE(server, nullptr);
    // Loading again while loaded keeps the same object.
    EXPECT_TRUE(library.LoadServerLibrary(test::ServerLibraryPath().string()));
    EXPECT_EQ(library.GetServer(), server);
    server->ExecuteCommand("\"+Probe\" \"1\"");
    VariableHandle handle = nullptr;
    EXPECT_EQ(server->FindVariable("Probe", &handle, nullptr), ENGINE_STATUS_OK);
    library.UnloadServerLibrary();
    EXPECT_EQ(library.GetServer(), nullptr);
    library.UnloadServerLibrary(); // a second unload does nothing
}

} // namespace
} // namespace dravo
