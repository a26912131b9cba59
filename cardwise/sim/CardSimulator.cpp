// SPDX-License-Identifier: GPL-3.0-or-later
// CCardSimulator: request handling, replies with optional jitter, restart silence.
#include "CardSimulator.h"

#include "CardFrame.h"
#include "LmDebug.h"
#include "LmSocket.h"

#include <QByteArray>
#include <QNetworkInterface>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <numeric>
#include <vector>

using namespace CardProtocol;

class CCardSimulator::CSimSocket : public CLmSocket
{
public:
    explicit CSimSocket(CCardSimulator* pSimulator) : m_pSimulator(pSimulator) {}

    int onReceive(const unsigned char* pData, int nSize, const char* pszAddress,
                  unsigned int nPort) override
    {
        m_pSimulator->HandleDatagram(pData, nSize, pszAddress, nPort,
                                     GetPacketInfo().dwDestination);
        return 0;
    }

private:
    CCardSimulator* m_pSimulator;
};

CCardSimulator::CCardSimulator(std::vector<CSimCard> arrCards, const COptions& options,
                               QObject* parent)
    : QObject(parent), m_arrCards(std::move(arrCards)), m_arrRestartEnds(m_arrCards.size()),
      m_options(options), m_random(options.nSeed)
{
}

CCardSimulator::~CCardSimulator() = default;

bool CCardSimulator::Start(QString& strError)
{
    m_pSocket = std::make_unique<CSimSocket>(this);
    m_pSocket->SetBindAddress(m_options.strBind.toLatin1().constData());
    if (!m_pSocket->CreateSocket(m_options.nPort, CLmSocket::TYPE_DGRAM,
                                 CLmSocket::OPT_BROADCAST)) {
        strError = QStringLiteral("cannot listen on %1:%2 (address not local, or port in use)")
                       .arg(m_options.strBind)
                       .arg(m_options.nPort);
        m_pSocket.reset();
        return false;
    }
    m_setBroadcasts = {0xFFFFFFFF};
    const auto arrInterfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : arrInterfaces) {
        const auto arrEntries = iface.addressEntries();
        for (const QNetworkAddressEntry& entry : arrEntries) {
            if (entry.broadcast().protocol() == QAbstractSocket::IPv4Protocol)
                m_setBroadcasts.insert(qToBigEndian(entry.broadcast().toIPv4Address()));
        }
    }
    return true;
}

bool CCardSimulator::Reaches(std::uint32_t dwDestination, std::size_t index) const
{
    return !m_options.bOwnAddresses || dwDestination == 0 ||
           m_setBroadcasts.count(dwDestination) != 0 || m_arrCards[index].dwIp == dwDestination;
}

bool CCardSimulator::IsRestarting(std::size_t index) const
{
    return index < m_arrRestartEnds.size() && !m_arrRestartEnds[index].hasExpired();
}

bool CCardSimulator::Chance(double dShare)
{
    // No draw at all for 0, so that the jitter's sequence stays that of a good network.
    return dShare > 0 && std::bernoulli_distribution(dShare)(m_random);
}

void CCardSimulator::HandleDatagram(const unsigned char* pData, int nSize, const char* pszAddress,
                                    unsigned int nPort, std::uint32_t dwDestination)
{
    if (Chance(m_options.dLoss)) {
        LmTrace20("sim: %d bytes from %s:%u lost on the way in\n", nSize, pszAddress, nPort);
        return;
    }
    CCardFrameHeader header;
    CVarDataGroup values;
    const CardFrame::ParseResult nResult =
        CardFrame::Parse(pData, nSize > 0 ? static_cast<std::size_t>(nSize) : 0, header, values);
    if (nResult != CardFrame::PARSE_OK) {
        LmTrace20("sim: ignored %d bytes from %s:%u: %s\n", nSize, pszAddress, nPort,
                  CardFrame::ParseResultText(nResult));
        return;
    }
    switch (header.CommandId) {
    case CMD_SEARCH_BROADCAST:
    case CMD_SEARCH: {
        CCardFrameHeader expected = header;
        CardFrame::SetSearchKey(expected);
        if (std::memcmp(expected.Password, header.Password, PASSWORD_SIZE) != 0) {
            LmTrace40("sim: search from %s:%u with a wrong search key ignored\n", pszAddress,
                      nPort);
            return;
        }
        AnswerSearch(header.CommandId, pszAddress, nPort, dwDestination);
        break;
    }
    case CMD_SET_PARAMS_BROADCAST:
    case CMD_SET_PARAMS:
        AnswerSet(header.CommandId, header.MAC, header.Password, values, pszAddress, nPort,
                  dwDestination);
        break;
    default:
        LmTrace20("sim: command 0x%04X from %s:%u ignored\n", header.CommandId, pszAddress, nPort);
        break;
    }
}

void CCardSimulator::AnswerSearch(std::uint16_t nCommand, const std::string& strAddress,
                                  unsigned int nPort, std::uint32_t dwDestination)
{
    const std::uint16_t nReply =
        nCommand == CMD_SEARCH_BROADCAST ? CMD_DEVICE_INFO_BROADCAST : CMD_DEVICE_INFO;
    std::vector<std::size_t> arrOrder(m_arrCards.size());
    std::iota(arrOrder.begin(), arrOrder.end(), std::size_t{0});
    if (m_options.bReorder)
        std::shuffle(arrOrder.begin(), arrOrder.end(), m_random);
    int nAnswered = 0;
    for (const std::size_t i : arrOrder) {
        if (IsRestarting(i) || m_arrCards[i].bSilent || !Reaches(dwDestination, i))
            continue;
        SendReply(m_arrCards[i], nReply, m_arrCards[i].DeviceInfo(), strAddress, nPort,
                  m_arrCards[i].dwIp);
        ++nAnswered;
    }
    LmTrace20("sim: search 0x%04X from %s:%u: %d cards answer\n", nCommand, strAddress.c_str(),
              nPort, nAnswered);
}

void CCardSimulator::AnswerSet(std::uint16_t nCommand, const unsigned char* pMac,
                               const unsigned char* pPassword, const CVarDataGroup& values,
                               const std::string& strAddress, unsigned int nPort,
                               std::uint32_t dwDestination)
{
    char szMacText[MAC_TEXT_SIZE];
    FormatMac(pMac, szMacText);
    for (std::size_t i = 0; i < m_arrCards.size(); ++i) {
        CSimCard& card = m_arrCards[i];
        if (std::memcmp(card.arrMac, pMac, MAC_SIZE) != 0)
            continue;
        if (!Reaches(dwDestination, i)) {
            LmTrace20("sim: set request for %s sent to another address ignored\n", szMacText);
            return;
        }
        if (IsRestarting(i) || card.bSilent) {
            LmTrace20("sim: %s is %s; set request ignored\n", szMacText,
                      card.bSilent ? "silent" : "restarting");
            return;
        }
        if (!card.AcceptsPassword(pPassword)) {
            CVarDataGroup error;
            error.Add(static_cast<char>(1), ERROR_PASSWORD);
            SendReply(card, CMD_ERROR, error, strAddress, nPort, card.dwIp);
            LmTrace20("sim: %s: wrong password\n", szMacText);
            return;
        }
        // The new address takes effect with the restart; the acknowledgement leaves from the old.
        const std::uint32_t dwOldIp = card.dwIp;
        const std::uint16_t nReply =
            nCommand == CMD_SET_PARAMS_BROADCAST ? CMD_SET_ACK_BROADCAST : CMD_SET_ACK;
        if (!card.bApplies) {
            SendReply(card, nReply, card.Acknowledgement(), strAddress, nPort, dwOldIp);
            LmTrace20("sim: %s: set request acknowledged, values kept\n", szMacText);
            return;
        }
        const bool bRestart = card.Apply(values);
        SendReply(card, nReply, card.Acknowledgement(), strAddress, nPort, dwOldIp);
        if (bRestart)
            m_arrRestartEnds[i] = QDeadlineTimer(m_options.nRestartMs);
        LmTrace20("sim: %s: settings applied%s\n", szMacText, bRestart ? ", restarting" : "");
        return;
    }
    LmTrace20("sim: set request for unknown card %s ignored\n", szMacText);
}

void CCardSimulator::SendReply(const CSimCard& card, std::uint16_t nCommand,
                               const CVarDataGroup& items, const std::string& strAddress,
                               unsigned int nPort, std::uint32_t dwSource)
{
    CCardFrameHeader header;
    const std::time_t nNow = std::time(nullptr);
    std::tm local{};
    localtime_r(&nNow, &local);
    CardFrame::SetTime(header, local);
    header.CommandId = nCommand;
    header.SrcAddr = 0;
    header.DestAddr = 1;
    std::memcpy(header.MAC, card.arrMac, MAC_SIZE);
    CardFrame::FrameBuffer arrFrame;
    const int nLength = CardFrame::Encode(arrFrame, header, items);
    if (nLength <= 0 || !m_pSocket)
        return;
    if (Chance(m_options.dLoss)) {
        LmTrace20("sim: reply 0x%04X to %s:%u lost on the way out\n", nCommand, strAddress.c_str(),
                  nPort);
        return;
    }

    // A card of its own address answers from it; the others from whatever the system picks.
    std::string strSource;
    if (m_options.bOwnAddresses) {
        char szSource[ADDRESS_TEXT_SIZE];
        strSource = FormatAddress(dwSource, szSource);
    }
    const int nCopies = Chance(m_options.dDuplicate) ? 2 : 1;
    for (int nCopy = 0; nCopy < nCopies; ++nCopy) {
        if (m_options.nJitterMs <= 0) {
            m_pSocket->SendFrom(arrFrame, static_cast<unsigned long>(nLength), strAddress.c_str(),
                                nPort, strSource.c_str());
            continue;
        }
        std::uniform_int_distribution<int> delay(0, m_options.nJitterMs);
        const QByteArray strBytes(reinterpret_cast<const char*>(arrFrame), nLength);
        QTimer::singleShot(delay(m_random), this, [this, strBytes, strAddress, nPort, strSource] {
            if (m_pSocket)
                m_pSocket->SendFrom(reinterpret_cast<const unsigned char*>(strBytes.constData()),
                                    static_cast<unsigned long>(strBytes.size()), strAddress.c_str(),
                                    nPort, strSource.c_str());
        });
    }
}
