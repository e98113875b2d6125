// The network service page over the real engine's services, and the display names of services.
#include "ui/pages/NetServicesPage.h"

#include "ui/WizardTestGame.h"

#include <cstring>

namespace dravo {
namespace {

using Control = NetServicesControl;

TEST(ServiceDisplayName, FirstWordFoundWinsInAnyCase) {
    EXPECT_EQ(ServiceDisplayName("TCP/IP Internet Service"), "Tcp/ip");
    EXPECT_EQ(ServiceDisplayName("IPX Network Service"), "Ipx");
    EXPECT_EQ(ServiceDisplayName("Modem Service"), "Modem");
    EXPECT_EQ(ServiceDisplayName("Null SERIAL link"), "Serial Cable");
    EXPECT_EQ(ServiceDisplayName("Modem over TCP"), "Modem");
    EXPECT_EQ(ServiceDisplayName("Carrier Pigeon"), "Carrier Pigeon");
    EXPECT_TRUE(IsTcpIpService("local tcp loop"));
    EXPECT_FALSE(IsTcpIpService("Modem over TCP"));
    EXPECT_FALSE(IsTcpIpService("IPX Network Service"));
}

class NetServicesPageTest : public test::WizardTest {
protected:
    int m_Error = 1;
    bool m_TcpIp = true;

    void SetUp() override {
        test::WizardTest::SetUp();
        ASSERT_EQ(Engine().StartNetworking(0, 0), ENGINE_TRUE);
    }
    int RunPage(ScriptedWindowSystem::Script script) {
        m_Windows.AddScript(NET_SERVICES_NAME, std::move(script));
        NetServicesPage page(Engine(), m_Settings, m_Host, m_Error, m_TcpIp);
        return m_Windows.RunDialog(NetServicesTemplate(), page);
    }
};

TEST_F(NetServicesPageTest, ListsTheServicesSortedWithTheirIds) {
    m_Settings.m_NetService = 2;
    std::strcpy(m_Settings.m_ServiceName, test::MODEM_SERVICE);
    RunPage([this](ScriptedDialog& page) {
        EXPECT_FALSE(m_TcpIp); // cleared at every opening
        ASSERT_EQ(page.ListCount(Control::ServiceList), 3);
        EXPECT_EQ(page.ListText(Control::ServiceList, 0), test::TCP_IP_SERVICE);
        EXPECT_EQ(page.ListText(Control::ServiceList, 1), test::IPX_SERVICE);
        EXPECT_EQ(page.ListText(Control::ServiceList, 2), test::MODEM_SERVICE);
        EXPECT_EQ(page.Selection(Control::ServiceList), 2); // NetService counts in the sorted list
        for (int index = 0; index < 3; ++index) {
            EXPECT_GT(page.ListData(Control::ServiceList, index).value_or(0), 0);
        }
        EXPECT_FALSE(page.IsEnabled(WizardControl::Back));
        EXPECT_TRUE(page.IsChecked(Control::UseGameSpy));
        EXPECT_TRUE(page.IsChecked(Control::UpdateInfo));
        EXPECT_TRUE(page.IsChecked(Control::ServerReg));
    });
}

TEST_F(NetServicesPageTest, StoredPositionPastTheEndSelectsTheFirst) {
    std::strcpy(m_Settings.m_ServiceName, test::IPX_SERVICE);
    m_Settings.m_NetService = 7;
    RunPage([](ScriptedDialog& page) { EXPECT_EQ(page.Selection(Control::ServiceList), 0); });
    m_Settings.m_NetService = -1;
    RunPage([](ScriptedDialog& page) { EXPECT_EQ(page.Selection(Control::ServiceList), 0); });
}

TEST_F(NetServicesPageTest, AFirstRunStartsOnTheServiceThatCanHostAndNextHostsOnIt) {
    EXPECT_EQ(RunPage([](ScriptedDialog& page) {
                  EXPECT_EQ(page.ListText(Control::ServiceList, page.Selection(Control::ServiceList)),
                            test::TCP_IP_SERVICE);
                  page.Click(WizardControl::Next);
              }),
              1);
    EXPECT_TRUE(m_TcpIp);
    EXPECT_EQ(m_Settings.m_NetService, 0);

    // Nothing chosen yet but a position pointing elsewhere (a hand-made configuration): TCP/IP still.
    m_Settings.m_ServiceName[0] = '\0';
    m_Settings.m_NetService = 1;
    RunPage([](ScriptedDialog& page) {
        EXPECT_EQ(page.ListText(Control::ServiceList, page.Selection(Control::ServiceList)), test::TCP_IP_SERVICE);
    });
}

TEST_F(NetServicesPageTest, NextUsesTheServiceAndStoresTheChoices) {
    m_Settings.m_UpdateInfo = 0;
    EXPECT_EQ(RunPage([](ScriptedDialog& page) {
                  EXPECT_FALSE(page.IsChecked(Control::UpdateInfo));
                  page.SelectText(Control::ServiceList, test::TCP_IP_SERVICE);
                  page.SetChecked(Control::UseGameSpy, false);
                  page.SetChecked(Control::UpdateInfo, true);
                  page.Click(WizardControl::Next);
              }),
              1);
    EXPECT_TRUE(m_TcpIp);
    EXPECT_EQ(m_Settings.m_NetService, 0);
    EXPECT_STREQ(m_Settings.m_ServiceName, test::TCP_IP_SERVICE);
    EXPECT_STREQ(m_Host.m_ServiceName, "Tcp/ip");
    EXPECT_EQ(m_Settings.m_UseGameSpy, 0);
    EXPECT_EQ(m_Settings.m_UpdateInfo, 1);
    EXPECT_EQ(m_Settings.m_ServerReg, 1);
    EXPECT_EQ(m_Host.m_GameSpy, 0);
    EXPECT_EQ(m_Host.m_UpdateInfo, 1);
    EXPECT_EQ(m_Host.m_WebRegistration, 1);

    // Opening again refills the list and shows what Next stored.
    RunPage([this](ScriptedDialog& page) {
        EXPECT_FALSE(m_TcpIp);
        EXPECT_EQ(page.ListCount(Control::ServiceList), 3);
        EXPECT_EQ(page.Selection(Control::ServiceList), 0);
        EXPECT_FALSE(page.IsChecked(Control::UseGameSpy));
        EXPECT_TRUE(page.IsChecked(Control::UpdateInfo));
    });
}

TEST_F(NetServicesPageTest, ARefusedServiceOrNoSelectionSaysSoAndKeepsThePage) {
    EXPECT_EQ(RunPage([this](ScriptedDialog& page) {
                  page.SelectText(Control::ServiceList, test::MODEM_SERVICE);
                  page.Click(WizardControl::Next);
                  EXPECT_FALSE(page.Ended());
                  EXPECT_EQ(m_Settings.m_NetService, 0); // nothing stored
                  EXPECT_STREQ(m_Settings.m_ServiceName, "");
                  page.Api().ListSetSelection(Control::ServiceList, NO_SELECTION);
                  page.Click(WizardControl::Next);
                  EXPECT_FALSE(page.Ended());
                  page.SelectText(Control::ServiceList, test::TCP_IP_SERVICE);
                  page.Click(WizardControl::Next);
              }),
              1);
    EXPECT_TRUE(m_TcpIp);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 2u);
    for (const auto& box : m_Windows.MessageBoxes()) {
        EXPECT_EQ(box.m_Text.rfind("ERROR - Unable to use the selected network service.\n\n", 0), 0u) << box.m_Text;
        EXPECT_EQ(box.m_Icon, MessageBoxIcon::Exclamation);
    }
    // The refused service is named, and the way out is TCP/IP.
    EXPECT_NE(m_Windows.MessageBoxes()[0].m_Text.find(std::string("\"") + test::MODEM_SERVICE + "\""),
              std::string::npos);
    EXPECT_NE(m_Windows.MessageBoxes()[0].m_Text.find("Choose TCP/IP"), std::string::npos);
    EXPECT_NE(m_Windows.MessageBoxes()[1].m_Text.find("TCP/IP"), std::string::npos);
}

} // namespace
} // namespace dravo
