// Tests of the console variable store: names without regard to case, stable handles.
#include "VariableStore.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

TEST(VariableStore, HandlesStayValidAsVariablesAreAdded) {
    VariableStore store;
    Variable* first = &store.Set("ServerName", "Dravo Server");
    for (int i = 0; i < 1000; ++i) {
        store.Set("Level" + std::to_string(i), "x");
    }
    EXPECT_EQ(store.Find("servername"), first);
    EXPECT_EQ(first->m_Text, "Dravo Server");
    EXPECT_TRUE(store.Owns(first));
    store.Set("SERVERNAME", "Renamed?");
    EXPECT_EQ(first->m_Name, "ServerName");
    EXPECT_EQ(first->m_Text, "Renamed?");
}

TEST(VariableStore, OwnsOnlyItsOwnVariables) {
    VariableStore store;
    VariableStore other;
    Variable* foreign = &other.Set("Port", "0");
    int local = 0;
    EXPECT_FALSE(store.Owns(foreign));
    EXPECT_FALSE(store.Owns(&local));
    EXPECT_FALSE(store.Owns(nullptr));
}

TEST(VariableStore, NamesArePrintableWithoutBlanksOrQuotes) {
    EXPECT_TRUE(VariableStore::IsValidName("RezFile12"));
    EXPECT_TRUE(VariableStore::IsValidName("a.b-c_d"));
    EXPECT_FALSE(VariableStore::IsValidName(""));
    EXPECT_FALSE(VariableStore::IsValidName("two words"));
    EXPECT_FALSE(VariableStore::IsValidName("quo\"te"));
    EXPECT_FALSE(VariableStore::IsValidName("tab\there"));
    EXPECT_FALSE(VariableStore::IsValidName("caf\xE9"));
    EXPECT_FALSE(VariableStore::IsValidName(std::string(VariableStore::MAX_NAME_LENGTH + 1, 'a')));
    VariableStore store;
    EXPECT_THROW(store.Set("bad name", "x"), std::invalid_argument);
    EXPECT_EQ(store.Count(), 0u);
}

TEST(VariableStore, KeepsCreationOrder) {
    VariableStore store;
    store.Set("b", "1");
    store.Set("A", "2");
    store.Set("B", "3");
    ASSERT_EQ(store.All().size(), 2u);
    EXPECT_EQ(store.All()[0]->m_Name, "b");
    EXPECT_EQ(store.All()[0]->m_Text, "3");
    EXPECT_EQ(store.All()[1]->m_Name, "A");
}

} // namespace
} // namespace dravo::ref
