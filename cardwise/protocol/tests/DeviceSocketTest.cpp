// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceSocket over a recording transport: requests, dispatch of replies, the device table
// and the trace lines.
#include "DeviceSocket.h"
#include "FakeDeviceSocket.h"

#include "CardFrame.h"
#include "LmDebug.h"
#include "LmLang.h"

#include <LmVarData/VarData.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace CardProtocol;
using Bytes = std::vector<unsigned char>;

namespace {

using CDeviceCall = CRecordingOwner::CDeviceCall;

const unsigned char CARD_MAC[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

unsigned long Address(const char* pszText)
{
    return ::inet_addr(pszText);
}

Bytes EncodeReply(std::uint16_t nCommand, const CVarDataGroup& items,
                  const unsigned char* pMac = CARD_MAC)
{
    CCardFrameHeader header;
    header.CommandId = nCommand;
    header.SrcAddr = 0;
    header.DestAddr = 1;
    std::memcpy(header.MAC, pMac, MAC_SIZE);
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::Encode(arrFrame, header, items);
    return Bytes(arrFrame, arrFrame + nLength);
}

CVarDataGroup DeviceInfoItems(const char* pszIp, int nHw = 3, int nFw = 215)
{
    CVarDataGroup items;
    items.Add(CARD_MAC, MAC_SIZE, INFO_MAC);
    items.Add(Address(pszIp), INFO_IP);
    items.Add(Address("255.255.255.0"), INFO_MASK);
    items.Add(Address("10.0.0.1"), INFO_GATEWAY);
    items.Add(static_cast<unsigned char>(nHw), INFO_HW_VERSION);
    items.Add(static_cast<unsigned short>(nFw), INFO_FW_VERSION);
    items.Add(static_cast<unsigned char>(1), INFO_HTTP_ENABLE);
    return items;
}

CVarDataGroup AckItems(const char* pszIp)
{
    CVarDataGroup items;
    items.Add(Address(pszIp), ACK_IP);
    items.Add(Address("255.255.0.0"), ACK_MASK);
    items.Add(Address("10.0.0.254"), ACK_GATEWAY);
    return items;
}

std::tm FixedTime()
{
    std::tm t{};
    t.tm_mon = 2;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 30;
    return t;
}

} // namespace

class CDeviceSocketTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_nThreshold = CLmDebug::Instance().GetThreshold();
        CLmDebug::Instance().SetThreshold(0);
        CLmDebug::Instance().SetSink(
            [this](int nLevel, const char* pszText) { m_arrTraces.emplace_back(nLevel, pszText); });
        m_socket.m_bFixedTime = true;
        m_socket.m_fixedTime = FixedTime();
    }
    void TearDown() override
    {
        CLmDebug::Instance().SetSink({});
        CLmDebug::Instance().SetThreshold(m_nThreshold);
        SetLocalLang("default", 1);
    }

    bool Traced(int nLevel, const std::string& strText) const
    {
        for (const auto& trace : m_arrTraces) {
            if (trace.first == nLevel && trace.second == strText)
                return true;
        }
        return false;
    }

    CRecordingOwner m_owner;
    CFakeDeviceSocket m_socket{&m_owner};
    std::vector<std::pair<int, std::string>> m_arrTraces;
    int m_nThreshold = 40;
};

TEST_F(CDeviceSocketTest, OpensHostPortWithBroadcastPermissionInEveryScope)
{
    EXPECT_EQ(m_socket.OpenSocket(1), 1);
    EXPECT_EQ(m_socket.OpenSocket(0), 1);
    m_socket.m_nCreateResult = 0;
    EXPECT_EQ(m_socket.OpenSocket(0), 0);

    ASSERT_EQ(m_socket.m_arrCreates.size(), 3u);
    for (const auto& create : m_socket.m_arrCreates) {
        EXPECT_EQ(create.nPort, 16789u);
        EXPECT_EQ(create.nType, 2);
        EXPECT_EQ(create.nOptions, 0x20u);
    }
}

TEST_F(CDeviceSocketTest, SearchWithEmptyAddressGoesToPreviousTarget)
{
    m_socket.SendSearch("192.168.1.255", PORT_CARD);
    m_socket.SendSearch("", PORT_CARD);
    m_socket.SendSearch(nullptr, PORT_CARD);
    m_socket.SendSearch("192.168.1.20", PORT_CARD);

    CardFrame::FrameBuffer arrExpected;
    CardFrame::BuildSearchRequest(arrExpected, true, FixedTime());
    ASSERT_EQ(m_socket.m_arrSent.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_socket.m_arrSent[i].strAddress, "192.168.1.255");
        EXPECT_EQ(m_socket.m_arrSent[i].nPort, 16788u);
        EXPECT_EQ(m_socket.m_arrSent[i].arrFrame, Bytes(arrExpected, arrExpected + 45));
    }
    const Bytes& arrDirected = m_socket.m_arrSent[3].arrFrame;
    EXPECT_EQ(arrDirected[13] | arrDirected[14] << 8, 0x2001);
    EXPECT_EQ(m_socket.GetTarget(), "192.168.1.20");

    // A socket of host addresses sends the directed form whatever the text holds.
    m_socket.SetDirectedOnly(true);
    m_socket.SendSearch("10.0.255.255", PORT_CARD);
    m_socket.SendSetParams(CARD_MAC, CVarDataGroup(), "lemon", "", PORT_CARD);
    ASSERT_EQ(m_socket.m_arrSent.size(), 6u);
    for (std::size_t i = 4; i < 6; ++i) {
        const Bytes& arrFrame = m_socket.m_arrSent[i].arrFrame;
        EXPECT_EQ(arrFrame[13] | arrFrame[14] << 8, i == 4 ? 0x2001 : 0x2002);
        EXPECT_EQ(m_socket.m_arrSent[i].strAddress, "10.0.255.255");
    }
}

TEST_F(CDeviceSocketTest, SetRequestCarriesMacPasswordAndValues)
{
    m_socket.OpenSocket(1);
    CVarDataGroup values;
    values.Add(Address("192.168.1.100"), SET_IP);
    values.Add(static_cast<char>(1), SET_RESTART);

    const int nResult = m_socket.SendSetParams(CARD_MAC, values, "lemon", "10.1.255.255", 16788);

    CardFrame::FrameBuffer arrExpected;
    const int nLength =
        CardFrame::BuildSetRequest(arrExpected, true, FixedTime(), "lemon", CARD_MAC, values);
    ASSERT_EQ(m_socket.m_arrSent.size(), 1u);
    EXPECT_EQ(m_socket.m_arrSent[0].arrFrame, Bytes(arrExpected, arrExpected + nLength));
    EXPECT_EQ(m_socket.m_arrSent[0].strAddress, "10.1.255.255");
    EXPECT_EQ(nResult, 58);
    EXPECT_TRUE(Traced(0, "\n"));
}

TEST_F(CDeviceSocketTest, SetRequestThatDoesNotFitIsNotSent)
{
    m_socket.OpenSocket(1);
    CVarDataGroup values;
    values.Add(std::string(300, 'p').c_str(), SET_GRIDMON_PASSWORD);

    EXPECT_EQ(m_socket.SendSetParams(CARD_MAC, values, "lemon", "10.1.1.255", 16788), 0);
    EXPECT_TRUE(m_socket.m_arrSent.empty());
    EXPECT_TRUE(Traced(40, "Set request not sent: a value is longer than 255 bytes\n"));
}

TEST_F(CDeviceSocketTest, DeviceInfoIsReportedAndStored)
{
    m_socket.Deliver(EncodeReply(CMD_DEVICE_INFO_BROADCAST, DeviceInfoItems("10.0.0.5")),
                     "10.0.0.5");

    ASSERT_EQ(m_owner.m_arrDevices.size(), 1u);
    const CDeviceCall& call = m_owner.m_arrDevices[0];
    EXPECT_EQ(call.dwSource, Address("10.0.0.5"));
    EXPECT_EQ(call.strMac, "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(call.strIp, "10.0.0.5");
    EXPECT_EQ(call.strMask, "255.255.255.0");
    EXPECT_EQ(call.strGateway, "10.0.0.1");
    EXPECT_EQ(call.nHwVer, 3);
    EXPECT_EQ(call.nFwVer, 215);
    EXPECT_TRUE(Traced(0, " *******DataType: 8****** ")) << "a BYTE arrives as DWORD";

    const CVarDataGroup* pStored = m_socket.FindDeviceParams("00-1A-2B-3C-4D-5E");
    ASSERT_NE(pStored, nullptr);
    EXPECT_EQ(pStored->GetSize(), 7);
    EXPECT_EQ(pStored->GetAt(6).GetID(), MakeValueId(CMD_DEVICE_INFO_BROADCAST, INFO_HTTP_ENABLE));
    EXPECT_EQ(m_socket.FindDeviceParams("00-1A-2B-3C-4D-5F"), nullptr);
    EXPECT_EQ(m_socket.FindDeviceParams(nullptr), nullptr);
}

TEST_F(CDeviceSocketTest, SecondReplyOfACardReplacesItsGroup)
{
    m_socket.Deliver(EncodeReply(CMD_DEVICE_INFO_BROADCAST, DeviceInfoItems("10.0.0.5")),
                     "10.0.0.5");
    const CVarDataGroup* pFirst = m_socket.FindDeviceParams("00-1A-2B-3C-4D-5E");
    CVarDataGroup later = DeviceInfoItems("10.0.0.6", 4, 300);
    later.RemoveID(INFO_HTTP_ENABLE);
    m_socket.Deliver(EncodeReply(CMD_DEVICE_INFO, later), "10.0.0.6");

    EXPECT_EQ(m_owner.m_arrDevices.size(), 2u);
    const CVarDataGroup* pSecond = m_socket.FindDeviceParams("00-1A-2B-3C-4D-5E");
    EXPECT_EQ(pSecond, pFirst) << "handed-out pointers stay valid";
    ASSERT_EQ(pSecond->GetSize(), 6);
    EXPECT_EQ(pSecond->GetAt(1).Get_DWORD(), Address("10.0.0.6"));
    EXPECT_EQ(CommandOf(pSecond->GetAt(0).GetID()), CMD_DEVICE_INFO);
}

TEST_F(CDeviceSocketTest, BothCodesOfEachReplyAreHandledAlike)
{
    CVarDataGroup withDhcp = DeviceInfoItems("10.0.0.5");
    withDhcp.Add(static_cast<char>(1), INFO_DHCP);
    const struct
    {
        std::uint16_t nCommand;
        CVarDataGroup items;
        int nVersions;
        int nDhcp;
    } arrCases[] = {
        {CMD_DEVICE_INFO_BROADCAST, withDhcp, 3, 1},
        {CMD_DEVICE_INFO, DeviceInfoItems("10.0.0.5"), 3, -1},
        {CMD_SET_ACK_BROADCAST, AckItems("10.0.0.9"), -1, -1},
        {CMD_SET_ACK, AckItems("10.0.0.9"), -1, -1},
    };
    for (const auto& c : arrCases) {
        CRecordingOwner owner;
        CFakeDeviceSocket socket(&owner);
        socket.m_mapInterfaces = {{7, "eth-b"}};
        socket.Deliver(EncodeReply(c.nCommand, c.items), "10.0.0.5", PORT_CARD,
                       CLmPacketInfo{::inet_addr("10.0.0.2"), 7});
        ASSERT_EQ(owner.m_arrDevices.size(), 1u) << std::hex << c.nCommand;
        EXPECT_EQ(owner.m_arrDevices[0].strMac, "00-1A-2B-3C-4D-5E");
        EXPECT_EQ(owner.m_arrDevices[0].nHwVer, c.nVersions);
        EXPECT_EQ(socket.FindDeviceParams("00-1A-2B-3C-4D-5E") != nullptr, c.nVersions != -1)
            << "acknowledgements leave the table alone";
        // Where it was received follows each report.
        ASSERT_EQ(owner.m_arrDetails.size(), 1u);
        EXPECT_EQ(owner.m_arrDetails[0].strInterface, "eth-b");
        EXPECT_EQ(owner.m_arrDetails[0].nInterface, 7u);
        EXPECT_EQ(owner.m_arrDetails[0].dwLocalAddress, Address("10.0.0.2"));
        EXPECT_EQ(owner.m_arrDetails[0].nDhcp, c.nDhcp);
    }
}

TEST_F(CDeviceSocketTest, AcknowledgementReportsAddressesOfHeaderMac)
{
    const unsigned char arrOtherMac[] = {0xAA, 0xBB, 0xCC, 0x00, 0x11, 0x22};
    m_socket.Deliver(EncodeReply(CMD_SET_ACK, AckItems("10.0.0.9"), arrOtherMac), "10.0.0.5");

    ASSERT_EQ(m_owner.m_arrDevices.size(), 1u);
    const CDeviceCall& call = m_owner.m_arrDevices[0];
    EXPECT_EQ(call.strMac, "AA-BB-CC-00-11-22");
    EXPECT_EQ(call.strIp, "10.0.0.9");
    EXPECT_EQ(call.strMask, "255.255.0.0");
    EXPECT_EQ(call.strGateway, "10.0.0.254");
    EXPECT_EQ(call.nFwVer, -1);
}

TEST_F(CDeviceSocketTest, IncompleteRepliesAreDropped)
{
    CVarDataGroup noFirmware = DeviceInfoItems("10.0.0.5");
    noFirmware.RemoveID(INFO_FW_VERSION);
    CVarDataGroup noGateway = AckItems("10.0.0.9");
    noGateway.RemoveID(ACK_GATEWAY);

    m_socket.Deliver(EncodeReply(CMD_DEVICE_INFO, noFirmware), "10.0.0.5");
    m_socket.Deliver(EncodeReply(CMD_SET_ACK, noGateway), "10.0.0.5");

    EXPECT_TRUE(m_owner.m_arrDevices.empty());
    EXPECT_EQ(m_socket.FindDeviceParams("00-1A-2B-3C-4D-5E"), nullptr);
}

TEST_F(CDeviceSocketTest, MacThatIsNoSixByteBufferGivesEmptyKey)
{
    CVarDataGroup items = DeviceInfoItems("10.0.0.5");
    items.Add(CARD_MAC, 5, INFO_MAC);
    m_socket.Deliver(EncodeReply(CMD_DEVICE_INFO, items), "10.0.0.5");

    ASSERT_EQ(m_owner.m_arrDevices.size(), 1u);
    EXPECT_EQ(m_owner.m_arrDevices[0].strMac, "");
    EXPECT_NE(m_socket.FindDeviceParams(""), nullptr);
}

TEST_F(CDeviceSocketTest, RepeatedMaskCountsOnceWithSecondValue)
{
    Bytes arrFrame = EncodeReply(CMD_DEVICE_INFO, DeviceInfoItems("10.0.0.5"));
    const Bytes arrSecondMask = {0x03, 0x00, 0x08, 0x04, 255, 255, 0, 0};
    arrFrame.insert(arrFrame.end() - 4, arrSecondMask.begin(), arrSecondMask.end());
    arrFrame[6] = static_cast<unsigned char>(arrFrame[6] + arrSecondMask.size());

    m_socket.Deliver(arrFrame, "10.0.0.5");

    ASSERT_EQ(m_owner.m_arrDevices.size(), 1u);
    EXPECT_EQ(m_owner.m_arrDevices[0].strMask, "255.255.0.0");
}

TEST_F(CDeviceSocketTest, ErrorReplyReportsTranslatedPasswordError)
{
    CVarDataGroup rejected;
    rejected.Add(static_cast<char>(1), ERROR_PASSWORD);
    CVarDataGroup otherError;
    otherError.Add(static_cast<char>(1), 0xF003);

    m_socket.Deliver(EncodeReply(CMD_ERROR, rejected), "10.0.0.5");
    m_socket.Deliver(EncodeReply(CMD_ERROR, otherError), "10.0.0.5");
    ASSERT_EQ(SetLocalLang("Lang0804", 1), 1);
    m_socket.Deliver(EncodeReply(CMD_ERROR, rejected), "10.0.0.5");

    const std::vector<std::pair<int, std::string>> arrExpected = {
        {0, "Password Error"}, {0, ""}, {0, "密码错误"}};
    EXPECT_EQ(m_owner.m_arrStatuses, arrExpected);
    // The owner learns which card speaks, to tell its own card from a stray sender.
    EXPECT_EQ(m_owner.m_arrErrorMacs, std::vector<std::string>(3, "00-1A-2B-3C-4D-5E"));
    EXPECT_TRUE(Traced(40, "密码错误..."));
}

TEST_F(CDeviceSocketTest, BadSyncAndUnknownCommandsAreTracedAndDropped)
{
    Bytes arrBadSync = EncodeReply(CMD_DEVICE_INFO, DeviceInfoItems("10.0.0.5"));
    arrBadSync[3] = 0x08;
    CVarDataGroup items;
    items.Add(1, 1);

    m_socket.Deliver(arrBadSync, "10.0.0.5");
    m_socket.Deliver(EncodeReply(0x1234, items), "10.0.0.5");
    m_socket.Deliver(EncodeReply(CMD_SEARCH_BROADCAST, items), "10.0.0.5");

    EXPECT_TRUE(Traced(20, "数据库同步头不正确!\n\r"));
    EXPECT_TRUE(Traced(40, "********** 无效命令应答:4660 ***********\n"));
    EXPECT_TRUE(Traced(40, "********** 无效命令应答:4097 ***********\n"));
    EXPECT_TRUE(m_owner.m_arrDevices.empty());
    EXPECT_TRUE(m_owner.m_arrStatuses.empty());
}

TEST_F(CDeviceSocketTest, TracesHeaderOfEveryFrame)
{
    CCardFrameHeader header;
    header.CommandId = CMD_DEVICE_INFO;
    header.Order = 30;
    header.Version = 3;
    header.Control = 845;
    header.SrcAddr = 7;
    header.DestAddr = 1;
    std::memcpy(header.MAC, CARD_MAC, MAC_SIZE);
    header.Password[0] = 0x82;
    header.Password[15] = 0xAA;
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::Encode(arrFrame, header, CVarDataGroup());

    m_socket.Deliver(Bytes(arrFrame, arrFrame + nLength), "10.0.0.5", 16788);

    const std::vector<std::pair<int, std::string>> arrExpected = {
        {20, "\r\nRCV IP:10.0.0.5 port:16788\r\n"},
        {20, "Pdu HeadLen------>37 DataLen------>2 Order------>30\r\n"},
        {20, "Pdu Version------>3 Control------>845 CommandId------>8197\r\n"},
        {20, "SrcAddr------>7 DestAddr------>1 Password:82 00 00 00 00 00 00 00 00 00 00 00 "
             "00 00 00 AA \r\n"},
        {20, "Mac ADDR:00-1A-2B-3C-4D-5E\r\n"},
        {20, "\r\n\r\n"},
        {20, "*****************************监控数据*********************"},
    };
    EXPECT_EQ(m_arrTraces, arrExpected) << "an empty payload is traced but not dispatched";
    EXPECT_TRUE(m_owner.m_arrDevices.empty());
}

TEST_F(CDeviceSocketTest, CutOffFrameKeepsItsCompleteItems)
{
    Bytes arrFrame = EncodeReply(CMD_DEVICE_INFO, DeviceInfoItems("10.0.0.5"));
    arrFrame.resize(arrFrame.size() - 4);                           // no end mark, no trailer
    arrFrame.insert(arrFrame.end(), {0x17, 0x00, 0x0C, 0x30, 'u'}); // a 48-byte item cut after 1
    arrFrame[6] = 0xFF;

    m_socket.Deliver(arrFrame, "10.0.0.5");
    m_socket.Deliver(Bytes(arrFrame.begin(), arrFrame.begin() + 30), "10.0.0.5");

    EXPECT_EQ(m_owner.m_arrDevices.size(), 1u);
    EXPECT_TRUE(Traced(20, "Frame cut off after 7 items\r\n"));
    EXPECT_TRUE(Traced(20, "Frame of 30 bytes from 10.0.0.5:16788 is shorter than its header\r\n"));
}
