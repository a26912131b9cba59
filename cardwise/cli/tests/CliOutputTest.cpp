// SPDX-License-Identifier: GPL-3.0-or-later
// What cardwise-cli prints for the device list and a parameter table.
#include "CliDecode.h"
#include "CliOutput.h"

#include "DeviceListModel.h"
#include "OptionTable.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

class CliOutputTest : public ::testing::Test
{
protected:
    CliOutputTest()
    {
        m_list.AddOrUpdateDevice(inet_addr("127.0.0.1"), "00-1A-2B-00-00-02", "10.0.0.2",
                                 "255.0.0.0", "10.0.0.1", 2, 201);
        m_list.AddDeviceDetails("00-1A-2B-00-00-02", {"eth-a", 2, inet_addr("127.0.0.1"), 1},
                                false);
        // Listed by an acknowledgement only: no versions yet.
        m_list.AddOrUpdateDevice(inet_addr("127.0.0.1"), "00-1A-2B-00-00-01", "10.0.0.1",
                                 "255.0.0.0", "10.0.0.254", -1, -1);
    }

    CDeviceListModel m_list;
};

TEST_F(CliOutputTest, DevicesAsJsonKeepListOrderAndNullVersions)
{
    EXPECT_EQ(RenderDevices(m_list, FORMAT_JSON),
              "{\"devices\":["
              "{\"mac\":\"00-1A-2B-00-00-01\",\"actual_ip\":\"127.0.0.1\",\"ip\":\"10.0.0.1\","
              "\"mask\":\"255.0.0.0\",\"gateway\":\"10.0.0.254\",\"hw\":null,\"fw\":null,"
              "\"adapter\":null,\"notes\":[]},"
              "{\"mac\":\"00-1A-2B-00-00-02\",\"actual_ip\":\"127.0.0.1\",\"ip\":\"10.0.0.2\","
              "\"mask\":\"255.0.0.0\",\"gateway\":\"10.0.0.1\",\"hw\":2,\"fw\":201,"
              "\"adapter\":\"eth-a\",\"notes\":[\"dhcp\"]}]}\n");
}

TEST_F(CliOutputTest, DevicesAsCsvHaveAHeaderAndEmptyVersions)
{
    EXPECT_EQ(RenderDevices(m_list, FORMAT_CSV),
              "mac,actual_ip,ip,mask,gateway,hw,fw,adapter,notes\n"
              "00-1A-2B-00-00-01,127.0.0.1,10.0.0.1,255.0.0.0,10.0.0.254,,,,\n"
              "00-1A-2B-00-00-02,127.0.0.1,10.0.0.2,255.0.0.0,10.0.0.1,2,201,eth-a,dhcp\n");
}

TEST_F(CliOutputTest, DevicesAsTextUseTheListTitles)
{
    const QStringList arrLines = RenderDevices(m_list, FORMAT_TEXT).split('\n');
    ASSERT_GE(arrLines.size(), 4);
    EXPECT_TRUE(arrLines[0].startsWith("IP Addr(Act)  IP Addr(Set)  MAC"))
        << arrLines[0].toStdString();
    EXPECT_TRUE(arrLines[1].endsWith("10.0.0.254")) << arrLines[1].toStdString();
    EXPECT_TRUE(arrLines[2].endsWith("eth-a    DHCP")) << arrLines[2].toStdString();
    EXPECT_EQ(arrLines[3], "2 card(s) found");
}

TEST_F(CliOutputTest, ParamsAsJsonCarryTheSetIdentifier)
{
    COptionTable option;
    option.m_grpParams.Add(static_cast<unsigned long>(inet_addr("10.0.0.2")), 0x10050002u);
    option.m_grpParams.Add(reinterpret_cast<const unsigned char*>("a\"b\\"), 4, 0x10050010u);
    option.LoadParams();
    EXPECT_EQ(RenderParams("00-1A-2B-00-00-02", option, FORMAT_JSON),
              "{\"mac\":\"00-1A-2B-00-00-02\",\"params\":["
              "{\"no\":1,\"name\":\"IP Addr\",\"value\":\"10.0.0.2\",\"memo\":\"\",\"id\":1},"
              "{\"no\":2,\"name\":\"admin password\",\"value\":\"a\\\"b\\\\\",\"memo\":"
              "\"Read only\",\"id\":0}]}\n");
}

// A card's text with control characters, as each output form shows it: the terminal never
// gets ESC, DEL or a C1 control raw.
TEST(CliTextTest, ControlCharactersAreEscaped)
{
    const struct
    {
        const char* pszText; // UTF-8
        const char* pszTerminal;
        const char* pszJson;
    } arrCases[] = {
        {"a\tb\x01", "a\\x09b\\x01", "\"a\\tb\\u0001\""},
        {"\x1b[2J", "\\x1b[2J", "\"\\u001b[2J\""},
        {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07", "\"\\u001b]0;owned\\u0007\""},
        {"del\x7f csi\u009b", "del\\x7f csi\\x9b", "\"del\\u007f csi\\u009b\""},
        {"Z\u00fcrich \u00ff\u00fe", "Z\u00fcrich \u00ff\u00fe", "\"Z\u00fcrich \u00ff\u00fe\""},
    };
    for (const auto& c : arrCases) {
        const QString strText = QString::fromUtf8(c.pszText);
        EXPECT_EQ(TerminalText(strText), QString::fromUtf8(c.pszTerminal)) << c.pszText;
        EXPECT_EQ(JsonString(strText), QString::fromUtf8(c.pszJson)) << c.pszText;
    }
}

TEST(CliTextTest, ParamsShowCardTextsEscaped)
{
    COptionTable option;
    option.m_grpParams.Add(reinterpret_cast<const unsigned char*>("\x1b[2J,x"), 6, 0x1005000Du);
    option.LoadParams();
    const QString strText = RenderParams("00-1A-2B-00-00-02", option, FORMAT_TEXT);
    EXPECT_FALSE(strText.contains(QChar(0x1b))) << strText.toStdString();
    EXPECT_TRUE(strText.contains("\\x1b[2J,x")) << strText.toStdString();
}

TEST(CliHexTest, ReadsSeparatedAndPrefixedPairs)
{
    QByteArray strBytes;
    QString strError;
    ASSERT_TRUE(ParseHexText("D7 09,d7:09\n0x25 00", strBytes, strError));
    EXPECT_EQ(strBytes, QByteArray::fromHex("d709d7092500"));
    EXPECT_FALSE(ParseHexText("D7 0", strBytes, strError));
    EXPECT_FALSE(ParseHexText("D7 0G", strBytes, strError));
    EXPECT_TRUE(strError.contains("offset 3")) << strError.toStdString();
}

} // namespace
