// Tests of server.so's two exports, loaded the way the front end loads them.
#include "engine/EngineServer.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace dravo {
namespace {

constexpr const char* LIBRARY_PATH = DRAVO_BIN_DIR "/server.so";

class ExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Library = ::dlopen(LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_Library, nullptr) << "build the server target first: " << ::dlerror();
        m_Create = reinterpret_cast<CreateServerFunction>(::dlsym(m_Library, CREATE_SERVER_EXPORT));
        m_Delete = reinterpret_cast<DeleteServerFunction>(::dlsym(m_Library, DELETE_SERVER_EXPORT));
        ASSERT_NE(m_Create, nullptr);
        ASSERT_NE(m_Delete, nullptr);
    }
    void TearDown() override {
        if (m_Delete != nullptr) {
            m_Delete();
        }
        if (m_Library != nullptr) {
            ::dlclose(m_Library);
        }
    }

    void* m_Library = nullptr;
    CreateServerFunction m_Create = nullptr;
    DeleteServerFunction m_Delete = nullptr;
};

TEST_F(ExportsTest, RefusesWrongVersionInterfaceAndNullPointers) {
    EngineServer* server = reinterpret_cast<EngineServer*>(this);
    EXPECT_NE(m_Create(3, &ServerInterfaceId, &server), ENGINE_STATUS_OK);
    EXPECT_EQ(server, nullptr);
    EXPECT_NE(m_Create(1, &ServerInterfaceId, &server), ENGINE_STATUS_OK);
    InterfaceId wrong = ServerInterfaceId;
    wrong.m_Data4[7] ^= 1;
    EXPECT_NE(m_Create(ENGINE_INTERFACE_VERSION, &wrong, &server), ENGINE_STATUS_OK);
    EXPECT_EQ(server, nullptr);
    EXPECT_NE(m_Create(ENGINE_INTERFACE_VERSION, nullptr, &server), ENGINE_STATUS_OK);
    EXPECT_NE(m_Create(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, nullptr), ENGINE_STATUS_OK);
}

TEST_F(ExportsTest, CreatesOneObjectUntilDeleted) {
    EngineServer* first = nullptr;
    ASSERT_EQ(m_Create(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, &first), ENGINE_STATUS_OK);
    ASSERT_NE(first, nullptr);
    EngineServer* second = nullptr;
    ASSERT_EQ(m_Create(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, &second), ENGINE_STATUS_OK);
    EXPECT_EQ(second, first);

    ASSERT_EQ(first->ExecuteCommand("\"+ServerName\" \"Loaded\""), ENGINE_STATUS_OK);
    VariableHandle handle = nullptr;
    ASSERT_EQ(first->FindVariable("ServerName", &handle, nullptr), ENGINE_STATUS_OK);
    char text[16];
    ASSERT_EQ(first->ReadVariableText(handle, text, sizeof text), ENGINE_STATUS_OK);
    EXPECT_STREQ(text, "Loaded");

    m_Delete();
    EngineServer* fresh = nullptr;
    ASSERT_EQ(m_Create(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, &fresh), ENGINE_STATUS_OK);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh->FindVariable("ServerName", &handle, nullptr), ENGINE_STATUS_OK); // a new, empty store
}

TEST_F(ExportsTest, DeleteWithoutAnObjectIsHarmless) {
    m_Delete();
    m_Delete();
    EngineServer* server = nullptr;
    EXPECT_EQ(m_Create(ENGINE_INTERFACE_VERSION, &ServerInterfaceId, &server), ENGINE_STATUS_OK);
    EXPECT_NE(server, nullptr);
}

TEST_F(ExportsTest, OnlyTheTwoEntryPointsAreVisible) {
    // The library's own classes stay inside it; a class name looked up as a symbol is not found.
    EXPECT_EQ(::dlsym(m_Library, "_ZN5dravo3ref6ServerC1Ev"), nullptr);
    EXPECT_EQ(::dlsym(m_Library, "_ZN5dravo3ref8TextUtil9LeadingFlEv"), nullptr);
}

} // namespace
} // namespace dravo
