// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter table of a card and the set request that OK builds from it.
#include "OptionTable.h"

#include "CardProtocol.h"
#include "MessageRecorder.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace CardProtocol;
using C = COptionTable;

constexpr std::uint16_t INFO = CMD_DEVICE_INFO_BROADCAST;

class COptionTableTest : public ::testing::Test
{
protected:
    void AddAddress(std::uint16_t nItem, const char* pszAddress)
    {
        m_option.m_grpParams.Add(static_cast<unsigned long>(inet_addr(pszAddress)),
                                 MakeValueId(INFO, nItem));
    }
    void AddDword(std::uint16_t nItem, unsigned long dwValue)
    {
        m_option.m_grpParams.Add(dwValue, MakeValueId(INFO, nItem));
    }
    void AddBuffer(std::uint16_t nItem, const std::string& strBytes)
    {
        m_option.m_grpParams.Add(reinterpret_cast<const unsigned char*>(strBytes.data()),
                                 static_cast<unsigned short>(strBytes.size()),
                                 MakeValueId(INFO, nItem));
    }
    // What a card reports, in the order cards send it.
    void AddCard()
    {
        AddBuffer(INFO_MAC, std::string("\x00\x1a\x2b\x3c\x4d\x5e", 6));
        AddAddress(INFO_IP, "192.168.1.20");
        AddAddress(INFO_MASK, "255.255.255.0");
        AddAddress(INFO_GATEWAY, "192.168.1.1");
        AddDword(INFO_HW_VERSION, 2);
        AddDword(INFO_FW_VERSION, 7);
        AddDword(INFO_DHCP, 0);
        AddDword(INFO_GRIDMON_ENABLE, 1);
        AddBuffer(INFO_GRIDMON_PASSWORD, "KOVAL-WERK");
        AddDword(INFO_HTTP_ENABLE, 1);
        AddBuffer(INFO_ADMIN_PASSWORD, "lemon");
        AddDword(INFO_HTTP_PORT, 80);
        AddDword(INFO_SNMP_ENABLE, 0);
        AddDword(INFO_TELNET_ENABLE, 1);
        AddDword(INFO_TELNET_PORT, 23);
        AddBuffer(INFO_DEVICE_ID,
                  std::string("0123456789abcdef0123456789abcdef0123") + std::string(12, '\0'));
    }
    int RowOf(unsigned int nSetId) const
    {
        for (int nRow = 0; nRow < m_option.GetItemCount(); ++nRow) {
            if (m_option.GetItemData(nRow) == nSetId)
                return nRow;
        }
        return -1;
    }
    void Edit(unsigned int nSetId, const char* pszValue)
    {
        m_option.SetValueText(RowOf(nSetId), QString::fromUtf8(pszValue));
    }
    MessageBoxSink Sink() { return m_messages.Sink(); }
    C::ECheck Ok() { return m_option.OnOK(Sink()); }
    std::vector<unsigned int> SentIds() const
    {
        std::vector<unsigned int> arrIds;
        arrIds.reserve(static_cast<std::size_t>(m_option.m_grpSend.GetSize()));
        for (int i = 0; i < m_option.m_grpSend.GetSize(); ++i)
            arrIds.push_back(m_option.m_grpSend.GetID(i));
        return arrIds;
    }

    COptionTable m_option;
    CMessageRecorder m_messages;
};

TEST_F(COptionTableTest, CardParametersFillTheRowsInGroupOrder)
{
    AddCard();
    m_option.LoadParams();
    struct
    {
        const char* pszName;
        const char* pszValue;
        const char* pszMemo;
        unsigned int nSetId;
    } const arrExpected[] = {
        {"IP Addr", "192.168.1.20", "", 1},
        {"Mask", "255.255.255.0", "", 2},
        {"Gateway", "192.168.1.1", "", 3},
        {"Hw Ver", "2", "Read only", 0},
        {"Fw Ver", "7", "Read only", 0},
        {"DHCP Enable", "0", "0:Manual;1:DHCP", 11},
        {"Gridmon Enable", "1", "0:Disable;1:Enabled", 12},
        {"Gridmon Password", "KOVAL-WERK", "default:KOVAL-WERK", 13},
        {"HTTP Enable", "1", "0:Disable;1:Enabled", 15},
        {"admin password", "lemon", "Read only", 0},
        {"HTTP Port", "80", "default:80", 17},
        {"SNMP Enable", "0", "0:Disable;1:Enabled", 20},
        {"Telnet Enable", "1", "0:Disable;1:Enabled", 21},
        {"Telnet Port", "23", "default:23", 22},
        {"DeviceID", "0123456789abcdef0123456789abcdef0123", "", 0},
    };
    ASSERT_EQ(m_option.GetItemCount(), static_cast<int>(std::size(arrExpected)));
    for (int nRow = 0; nRow < m_option.GetItemCount(); ++nRow) {
        SCOPED_TRACE(arrExpected[nRow].pszName);
        EXPECT_EQ(m_option.GetItemText(nRow, C::COL_NO), QString::number(nRow + 1));
        EXPECT_EQ(m_option.GetItemText(nRow, C::COL_NAME), arrExpected[nRow].pszName);
        EXPECT_EQ(m_option.GetItemText(nRow, C::COL_VALUE), arrExpected[nRow].pszValue);
        EXPECT_EQ(m_option.GetItemText(nRow, C::COL_MEMO), arrExpected[nRow].pszMemo);
        EXPECT_EQ(m_option.GetItemData(nRow), arrExpected[nRow].nSetId);
    }
}

TEST_F(COptionTableTest, UnknownIdentifiersGetNoRowAndNoNumber)
{
    AddDword(7, 1);
    AddAddress(INFO_IP, "10.0.0.2");
    AddDword(8, 1);
    AddDword(24, 1);
    AddDword(INFO_HTTP_PORT, 8080);
    m_option.LoadParams();
    ASSERT_EQ(m_option.GetItemCount(), 2);
    EXPECT_EQ(m_option.GetItemText(1, C::COL_NO), "2");
    EXPECT_EQ(m_option.GetItemText(1, C::COL_NAME), "HTTP Port");
}

TEST_F(COptionTableTest, DeviceIdNeedsExactlyFortyEightBytes)
{
    for (const int nSize : {47, 49}) {
        m_option.m_grpParams.RemoveAll();
        AddBuffer(INFO_DEVICE_ID, std::string(nSize, 'x'));
        m_option.LoadParams();
        EXPECT_EQ(m_option.GetItemCount(), 0) << nSize << " bytes";
    }
    // A DeviceID that arrived as another type has no row either.
    m_option.m_grpParams.RemoveAll();
    AddDword(INFO_DEVICE_ID, 48);
    m_option.LoadParams();
    EXPECT_EQ(m_option.GetItemCount(), 0);
}

TEST_F(COptionTableTest, BufferTextStopsAtZeroAndLongBuffersShowEmpty)
{
    AddBuffer(INFO_GRIDMON_PASSWORD, std::string("abc\0def", 7));
    AddBuffer(INFO_ADMIN_PASSWORD, std::string(257, 'p'));
    AddDword(INFO_HTTP_PORT, 80);
    m_option.LoadParams();
    ASSERT_EQ(m_option.GetItemCount(), 3);
    EXPECT_EQ(m_option.GetItemText(0, C::COL_VALUE), "abc");
    EXPECT_EQ(m_option.GetItemText(1, C::COL_NAME), "admin password");
    EXPECT_EQ(m_option.GetItemText(1, C::COL_VALUE), "");
}

TEST_F(COptionTableTest, NumbersPrintSigned)
{
    AddDword(INFO_GRIDMON_ENABLE, 0xFF);     // a flag byte 0xFF reads as char -1
    AddDword(INFO_HW_VERSION, 0xFFFFFFFFul); // a DWORD prints with %d
    m_option.LoadParams();
    EXPECT_EQ(m_option.GetItemText(0, C::COL_VALUE), "-1");
    EXPECT_EQ(m_option.GetItemText(1, C::COL_VALUE), "-1");
}

TEST_F(COptionTableTest, OkSendsEveryWritableRowInRowOrderAndRestartLast)
{
    AddCard();
    m_option.LoadParams();
    ASSERT_EQ(Ok(), C::CHECK_OK);
    EXPECT_TRUE(m_messages.m_arrMessages.empty());
    EXPECT_EQ(SentIds(),
              (std::vector<unsigned int>{1, 2, 3, 11, 12, 13, 15, 17, 20, 21, 22, SET_RESTART}));
    const CVarData& restart = m_option.m_grpSend[SET_RESTART];
    EXPECT_EQ(restart.GetType(), VD_char);
    EXPECT_EQ(restart.Get_char(), 1);
    EXPECT_EQ(m_option.m_grpSend[SET_IP].GetType(), VD_DWORD);
    EXPECT_EQ(m_option.m_grpSend[SET_IP].Get_DWORD(), inet_addr("192.168.1.20"));
    EXPECT_STREQ(m_option.m_grpSend[SET_GRIDMON_PASSWORD].Get_string(), "KOVAL-WERK");
}

TEST_F(COptionTableTest, NoRestartValueWithoutAutoRestart)
{
    AddCard();
    m_option.LoadParams();
    m_option.m_bAutoRestart = 0;
    ASSERT_EQ(Ok(), C::CHECK_OK);
    EXPECT_EQ(m_option.m_grpSend.GetIndex(SET_RESTART), -1);
}

struct CValueCase
{
    const char* pszName;
    unsigned int nSetId;
    const char* pszText;
    unsigned char nType;
    unsigned long dwExpected;
};

void PrintTo(const CValueCase& c, std::ostream* os)
{
    *os << c.pszName << " '" << c.pszText << "'";
}

class COptionTableValueTest : public COptionTableTest,
                              public ::testing::WithParamInterface<CValueCase>
{
};

TEST_P(COptionTableValueTest, EditedTextIsSentAsTheCardReadsIt)
{
    const CValueCase& value = GetParam();
    AddCard();
    m_option.LoadParams();
    Edit(value.nSetId, value.pszText);
    Ok();
    const CVarData& sent = m_option.m_grpSend[value.nSetId];
    EXPECT_EQ(sent.GetType(), value.nType);
    EXPECT_EQ(static_cast<std::uint32_t>(sent.Get_DWORD()), value.dwExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, COptionTableValueTest,
    ::testing::Values(CValueCase{"FlagOne", SET_HTTP_ENABLE, "1", VD_char, 1},
                      CValueCase{"FlagTwo", SET_HTTP_ENABLE, "2", VD_char, 0},
                      CValueCase{"FlagWithBlank", SET_HTTP_ENABLE, " 1", VD_char, 0},
                      CValueCase{"Port", SET_HTTP_PORT, "8080", VD_DWORD, 8080},
                      CValueCase{"PortWithSignAndTail", SET_HTTP_PORT, "  +8080x", VD_DWORD, 8080},
                      CValueCase{"NegativePort", SET_TELNET_PORT, "-1", VD_DWORD, 0xFFFFFFFF},
                      CValueCase{"PortOverflow", SET_TELNET_PORT, "99999999999", VD_DWORD,
                                 0x7FFFFFFF},
                      CValueCase{"Address", SET_GATEWAY, "192.168.1.254", VD_DWORD, 0xFE01A8C0}),
    [](const ::testing::TestParamInfo<CValueCase>& caseInfo) {
        return std::string(caseInfo.param.pszName);
    });

// The Gridmon Password goes back byte for byte as the card sent it until the operator edits
// it; an edited text goes as UTF-8.
struct STextCase
{
    const char* pszName;
    std::string strCardBytes;
    const char* pszEdit; // null: not edited
    std::string strSent;
};

void PrintTo(const STextCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class COptionTableTextTest : public COptionTableTest,
                             public ::testing::WithParamInterface<STextCase>
{
};

TEST_P(COptionTableTextTest, TextTravelsAsTheCardSentItUntilEdited)
{
    const STextCase& c = GetParam();
    AddCard();
    AddBuffer(INFO_GRIDMON_PASSWORD, c.strCardBytes);
    m_option.LoadParams();
    if (c.pszEdit != nullptr)
        Edit(SET_GRIDMON_PASSWORD, c.pszEdit);
    ASSERT_EQ(Ok(), C::CHECK_OK);
    EXPECT_EQ(std::string(m_option.m_grpSend[SET_GRIDMON_PASSWORD].Get_string()), c.strSent);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, COptionTableTextTest,
    ::testing::Values(STextCase{"NotUtf8Unedited", "\xFF\xFE", nullptr, "\xFF\xFE"},
                      STextCase{"NotUtf8EditedToItsDisplay", "\xFF\xFE", "\u00FF\u00FE",
                                "\xC3\xBF\xC3\xBE"},
                      STextCase{"Utf8Unedited", "Z\xC3\xBCrich", nullptr, "Z\xC3\xBCrich"},
                      STextCase{"ZeroByteEndsIt", std::string("ab\0cd", 5), nullptr, "ab"},
                      STextCase{"Edited", "KOVAL-WERK", "neu", "neu"}),
    [](const ::testing::TestParamInfo<STextCase>& tested) {
        return std::string(tested.param.pszName);
    });

TEST_F(COptionTableTest, BadValuesAreRejectedWithAMessage)
{
    const std::string strLong(255, 'x');
    const char* const pszLongText = strLong.c_str();
    const struct
    {
        unsigned int nSetId;
        const char* pszText;
        C::ECheck nResult;
        const char* pszMessage;
    } arrCases[] = {
        {SET_IP, "0.0.0.0", C::CHECK_BAD_ADDRESS, "The IpAddr or Mask is invalid"},
        {SET_MASK, "0.0.0.0", C::CHECK_BAD_ADDRESS, "The IpAddr or Mask is invalid"},
        {SET_GATEWAY, "192.168.2.1", C::CHECK_BAD_GATEWAY, "The Gateway is invalid"},
        // The designed checks come first: "1" reads as 0.0.0.1, outside the gateway's network.
        {SET_IP, "1", C::CHECK_BAD_GATEWAY, "The Gateway is invalid"},
        // Texts that pass them but are no typed address: the standard parser's other forms.
        {SET_IP, "192.168.1.010", C::CHECK_NOT_AN_ADDRESS,
         "IP Addr: '192.168.1.010' is not an address; type four numbers from 0 to 255 without "
         "leading zeros, such as 192.168.1.10"},
        {SET_GATEWAY, "192.168.510", C::CHECK_NOT_AN_ADDRESS,
         "Gateway: '192.168.510' is not an address; type four numbers from 0 to 255 without "
         "leading zeros, such as 192.168.1.10"},
        {SET_MASK, "0xFF.255.255.0", C::CHECK_NOT_AN_ADDRESS,
         "Mask: '0xFF.255.255.0' is not an address; type four numbers from 0 to 255 without "
         "leading zeros, such as 192.168.1.10"},
        // 255 characters and the terminator do not fit the item's one-byte Length.
        {SET_GRIDMON_PASSWORD, pszLongText, C::CHECK_TEXT_TOO_LONG,
         "The Gridmon Password is too long"},
    };
    for (const auto& c : arrCases) {
        SCOPED_TRACE(c.pszText);
        m_option.m_grpParams.RemoveAll();
        m_messages.m_arrMessages.clear();
        AddCard();
        m_option.LoadParams();
        Edit(c.nSetId, c.pszText);
        EXPECT_EQ(Ok(), c.nResult);
        ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
        EXPECT_EQ(m_messages.m_arrMessages[0].strText, c.pszMessage);
        EXPECT_EQ(m_messages.m_arrMessages[0].strCaption, "ERROR");
        EXPECT_EQ(m_option.m_grpSend.GetIndex(SET_RESTART), -1);
    }
    // 254 characters and the terminator fill the Length exactly.
    Edit(SET_GRIDMON_PASSWORD, std::string(254, 'x').c_str());
    EXPECT_EQ(Ok(), C::CHECK_OK);
}

TEST_F(COptionTableTest, UnparsableAddressPassesZeroCheckAndFailsGatewayCheck)
{
    AddCard();
    m_option.LoadParams();
    Edit(SET_IP, "abc");
    EXPECT_EQ(Ok(), C::CHECK_BAD_GATEWAY);
    EXPECT_EQ(m_option.m_grpSend[SET_IP].Get_DWORD(), 0xFFFFFFFFul);
    // With the gateway in the all-ones network too, the text itself is refused last.
    Edit(SET_GATEWAY, "255.255.255.7");
    EXPECT_EQ(Ok(), C::CHECK_NOT_AN_ADDRESS);
}

TEST_F(COptionTableTest, EveryOkAttemptRebuildsTheRequest)
{
    AddCard();
    m_option.LoadParams();
    Edit(SET_GATEWAY, "10.0.0.1");
    ASSERT_EQ(Ok(), C::CHECK_BAD_GATEWAY);
    Edit(SET_GATEWAY, "192.168.1.254");
    ASSERT_EQ(Ok(), C::CHECK_OK);
    EXPECT_EQ(m_option.m_grpSend.GetSize(), 12);
    EXPECT_EQ(m_option.m_grpSend[SET_GATEWAY].Get_DWORD(), inet_addr("192.168.1.254"));
}

TEST_F(COptionTableTest, ReadOnlyRowsRefuseEditingWithAWarning)
{
    AddCard();
    m_option.LoadParams();
    EXPECT_TRUE(m_option.CheckEditable(RowOf(SET_HTTP_PORT), Sink()));
    EXPECT_TRUE(m_messages.m_arrMessages.empty());
    EXPECT_FALSE(m_option.CheckEditable(3, Sink())); // Hw Ver
    ASSERT_EQ(m_messages.m_arrMessages.size(), 1u);
    EXPECT_EQ(m_messages.m_arrMessages[0].strText, "Read-only parameter, can not be modified");
    EXPECT_EQ(m_messages.m_arrMessages[0].strCaption, "Warnning");
    EXPECT_EQ(m_messages.m_arrMessages[0].nIcon, MSG_ICON_INFORMATION);
}

TEST_F(COptionTableTest, ParametersAreFoundByNameOrIdentifier)
{
    EXPECT_EQ(C::FindParamByName("HTTP Port"), 17u);
    EXPECT_EQ(C::FindParamByName("http port"), 17u);
    EXPECT_EQ(C::FindParamByName("IP Addr"), 1u);
    EXPECT_EQ(C::FindParamByName("22"), 22u);
    EXPECT_EQ(C::FindParamByName("Hw Ver"), 0u);
    EXPECT_FALSE(C::FindParamByName("HTTP"));
    EXPECT_FALSE(C::FindParamByName("5")); // no parameter is sent as 5
    EXPECT_FALSE(C::FindParamByName("0"));
}

} // namespace
