// SPDX-License-Identifier: GPL-3.0-or-later
// The notes of the device list: which card gets which, as a table of cases.
#include "DeviceNotes.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

// The PC: eth-a (index 2) on two subnets, eth-b (3) on one; index 4 has no IPv4 address.
const std::vector<CAdapterAddress> ADAPTERS = {
    {"192.168.1.10", "255.255.255.0", 2, "eth-a"},
    {"10.1.0.10", "255.255.0.0", 2, "eth-a"},
    {"172.16.0.5", "255.255.0.0", 3, "eth-b"},
};

struct SNoteCase
{
    const char* pszName;
    const char* pszIp;
    bool bBroadcast;
    unsigned int nInterface;
    int nDhcp;
    int nSameAddress;
    unsigned int nExpected;
};

class DeviceNotesTest : public ::testing::TestWithParam<SNoteCase>
{
};

TEST_P(DeviceNotesTest, FollowFromTheCardAndTheAdapters)
{
    const SNoteCase& c = GetParam();
    SNoteFacts facts;
    facts.dwIp = inet_addr(c.pszIp);
    facts.bBroadcastSearch = c.bBroadcast;
    facts.nInterface = c.nInterface;
    facts.nDhcp = c.nDhcp;
    facts.nSameAddress = c.nSameAddress;
    EXPECT_EQ(DeviceNotes(facts, ADAPTERS), c.nExpected);
}

constexpr unsigned int OTHER = NOTE_OTHER_SUBNET;
constexpr unsigned int CONFLICT = NOTE_ADDRESS_CONFLICT;
constexpr unsigned int DHCP = NOTE_DHCP;

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceNotesTest,
    ::testing::Values(
        SNoteCase{"InTheAdaptersSubnet", "192.168.1.20", true, 2, 0, 1, NOTE_NONE},
        SNoteCase{"InTheAdaptersSecondSubnet", "10.1.77.3", true, 2, 0, 1, NOTE_NONE},
        SNoteCase{"ForeignOnTheWire", "192.168.50.7", true, 2, 0, 1, OTHER},
        // Another adapter's subnet does not help: the reply came in on this one.
        SNoteCase{"AnotherAdaptersSubnet", "172.16.1.1", true, 2, 0, 1, OTHER},
        // Found by a sweep of host addresses: it answered from where routes lead.
        SNoteCase{"RoutedAndSwept", "10.213.9.7", false, 2, 0, 1, NOTE_NONE},
        SNoteCase{"UnknownInterface", "192.168.50.7", true, 0, 0, 1, NOTE_NONE},
        SNoteCase{"InterfaceWithoutAddresses", "192.168.50.7", true, 4, 0, 1, NOTE_NONE},
        SNoteCase{"AnotherCardsAddress", "192.168.1.20", true, 2, 0, 2, CONFLICT},
        SNoteCase{"ThePCsAddress", "172.16.0.5", true, 3, 0, 1, CONFLICT},
        SNoteCase{"ThePCsAddressBySweep", "192.168.1.10", false, 2, 0, 1, CONFLICT},
        SNoteCase{"Dhcp", "192.168.1.20", true, 2, 1, 1, DHCP},
        SNoteCase{"DhcpUnknown", "192.168.1.20", true, 2, -1, 1, NOTE_NONE},
        SNoteCase{"NoAddressYet", "0.0.0.0", true, 2, 1, 3, DHCP},
        SNoteCase{"Everything", "192.168.50.7", true, 2, 1, 2, OTHER | CONFLICT | DHCP}),
    [](const ::testing::TestParamInfo<SNoteCase>& tested) { return tested.param.pszName; });

TEST(DeviceNotesTextTest, KeysTitlesAndAdviceInBitOrder)
{
    EXPECT_EQ(NoteKeys(OTHER | CONFLICT | DHCP),
              (QStringList{"other-subnet", "address-conflict", "dhcp"}));
    EXPECT_EQ(NoteTitles(DHCP | OTHER), "Other subnet, DHCP");
    EXPECT_EQ(NoteAdvice(CONFLICT).count(QStringLiteral("Setup")), 1);
    EXPECT_TRUE(NoteKeys(NOTE_NONE).isEmpty());
}

} // namespace
