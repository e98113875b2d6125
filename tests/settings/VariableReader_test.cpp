// The service table and its one reader: every entry read, its range kept, what is refused said.
#include "settings/VariableReader.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace dravo {
namespace {

bool IsNumeric(const ServiceVariable& variable) {
    return variable.m_Kind == VariableKind::Number || variable.m_Kind == VariableKind::Whole;
}

TEST(ServiceVariables, NamesAreUniqueAndEveryEntrySaysWhatHoldsWithoutIt) {
    std::set<std::string_view> names;
    for (const ServiceVariable& variable : SERVICE_VARIABLES) {
        EXPECT_TRUE(names.insert(variable.m_Name).second) << variable.m_Name;
        EXPECT_FALSE(variable.m_Default.empty()) << variable.m_Name;
        if (IsNumeric(variable)) {
            EXPECT_LE(variable.m_Low, variable.m_High) << variable.m_Name;
        }
    }
    for (const ServiceVariable& secret : SECRET_VARIABLES) {
        EXPECT_TRUE(names.contains(secret.m_Name)) << secret.m_Name;
        EXPECT_EQ(secret.m_Kind, VariableKind::Secret);
    }
}

TEST(VariableReader, AnAbsentOrEmptyVariableGivesNothingAndSaysNothing) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    for (const ServiceVariable& variable : SERVICE_VARIABLES) {
        EXPECT_FALSE(reader.Text(variable)) << variable.m_Name;
        engine.m_Variables[std::string(variable.m_Name)] = "";
        EXPECT_FALSE(reader.Number(variable)) << variable.m_Name;
        EXPECT_FALSE(reader.Text(variable)) << variable.m_Name;
    }
    EXPECT_TRUE(reader.TakeProblems().empty());
}

TEST(VariableReader, EveryNumberIsTakenAtItsEndsAndRefusedBeyondThemWithItsRange) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    for (const ServiceVariable& variable : SERVICE_VARIABLES) {
        if (!IsNumeric(variable) || variable.m_Low == service_variable::ANY_LOW) {
            continue;
        }
        const std::string name(variable.m_Name);
        const double low = variable.m_LowOpen ? variable.m_Low + 0.5 : variable.m_Low;
        for (const double end : {low, variable.m_High}) {
            engine.m_Variables[name] = " " + std::to_string(end) + " ";
            EXPECT_EQ(reader.Number(variable), variable.m_Kind == VariableKind::Whole ? std::trunc(end) : end) << name;
        }
        EXPECT_TRUE(reader.TakeProblems().empty()) << name;
        const double step = variable.m_LowOpen                       ? 0.0
                            : variable.m_Kind == VariableKind::Whole ? 1.0
                                                                     : variable.m_Low / 2 + 0.001;
        for (const std::string& bad : {std::to_string(variable.m_High + 1), std::to_string(variable.m_Low - step),
                                       std::string("nan"), std::string("12x"), std::string("port")}) {
            engine.m_Variables[name] = bad;
            EXPECT_FALSE(reader.Number(variable)) << name << " " << bad;
            const std::vector<std::string> problems = reader.TakeProblems();
            ASSERT_EQ(problems.size(), 1u) << name << " " << bad;
            EXPECT_EQ(problems[0], name + " \"" + bad + "\" is no number " + DescribeRange(variable) +
                                       "; the default (" + std::string(variable.m_Default) + ") holds.");
        }
    }
}

TEST(VariableReader, WholeNumbersLoseTheirFractionAndSecondsBecomeMilliseconds) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    engine.m_Variables["SpyQueryPort"] = "26000.9";
    EXPECT_EQ(reader.Whole(service_variable::SPY_QUERY_PORT), 26000u);
    engine.m_Variables["RconLoginTimeout"] = "0.25";
    EXPECT_EQ(reader.Seconds(service_variable::RCON_LOGIN_TIMEOUT), std::chrono::milliseconds(250));
    engine.m_Variables["RconLoginTimeout"] = "1e3";
    EXPECT_EQ(reader.Seconds(service_variable::RCON_LOGIN_TIMEOUT), std::chrono::milliseconds(1000000));
    EXPECT_TRUE(reader.TakeProblems().empty());
}

TEST(VariableReader, AddressesAreDottedIpv4AndSecretsAreNeverQuoted) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    engine.m_Variables["RconBindAddress"] = "0.0.0.0";
    EXPECT_EQ(reader.Address(service_variable::RCON_BIND_ADDRESS), 0u);
    engine.m_Variables["RconBindAddress"] = "127.0.0.2";
    EXPECT_EQ(reader.Address(service_variable::RCON_BIND_ADDRESS), 0x7F000002u);
    engine.m_Variables["RconBindAddress"] = "localhost";
    EXPECT_FALSE(reader.Address(service_variable::RCON_BIND_ADDRESS));
    EXPECT_EQ(reader.TakeProblems(), std::vector<std::string>{"RconBindAddress \"localhost\" is no IPv4 address; the "
                                                              "default (127.0.0.1) holds."});
    engine.m_Variables["RconPassword"] = "short";
    EXPECT_EQ(reader.Text(service_variable::RCON_PASSWORD), "short") << "its user says whether it is long enough";
    EXPECT_TRUE(reader.TakeProblems().empty());
}

TEST(VariableReader, ALongTextIsCutToWhatTheReaderHolds) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    engine.m_Variables["WebRegUrl"] = "http://127.0.0.1/" + std::string(3000, 'a');
    const std::optional<std::string> url = reader.Text(service_variable::WEB_REG_URL);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->size(), VariableReader::MAX_TEXT_SIZE - 1);
}

} // namespace
} // namespace dravo
