// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise-flood: hostile traffic towards the assistant's port, paced: garbage, oversized
// datagrams, forged device information and forged error replies. For the chaos bench and the
// tests of stray replies; it refuses to send outside a network namespace of its own.
#include "CardFrame.h"
#include "NetworkIsolation.h"
#include "ProgramOptions.h"
#include "SimCard.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

enum EKind
{
    KIND_GARBAGE,   // random bytes, half of them behind a valid sync header
    KIND_OVERSIZED, // longer than any frame: 1,501 bytes up to the largest datagram
    KIND_INFO,      // a complete device information of a card that does not exist
    KIND_ERROR,     // an error reply that rejects a password
    KIND_COUNT
};
const char* const KIND_NAMES[KIND_COUNT] = {"garbage", "oversized", "info", "error"};

constexpr int DATAGRAM_MAX = 65507;

volatile std::sig_atomic_t g_bStop = 0;

struct SFloodOptions
{
    std::uint32_t dwAddress = 0x7F000001; // first number in the most significant byte
    unsigned int nPort = CardProtocol::PORT_HOST;
    int nRate = 10000;
    double dSeconds = 0; // 0: until stopped
    std::vector<EKind> arrKinds;
    bool bMac = false; // the forged frames name this MAC instead of random ones
    unsigned char arrMac[CardProtocol::MAC_SIZE] = {};
    unsigned int nSeed = 1;
};

bool ParseOptions(SFloodOptions& options, QString& strError)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Sends hostile datagrams to the assistant's port at a steady rate, in turn of the kinds "
        "given: garbage, oversized, info (forged device information of cards with random "
        "locally administered MACs), error (forged error replies). Runs only in a network "
        "namespace that holds nothing but lo (tools/netns-run).");
    parser.addHelpOption();
    const QCommandLineOption to("to", "Destination (default 127.0.0.1:16789).", "address:port");
    const QCommandLineOption rate("rate", "Datagrams per second (default 10000).", "n");
    const QCommandLineOption seconds("seconds", "Stop after this long (default: when killed).",
                                     "s");
    const QCommandLineOption kinds("kinds", "Comma-separated kinds (default: all four).", "list");
    const QCommandLineOption mac("mac", "MAC of the forged frames (default: random).", "mac");
    const QCommandLineOption seed("seed", "Seed of the random bytes (default 1).", "n");
    parser.addOptions({to, rate, seconds, kinds, mac, seed});
    parser.process(QCoreApplication::arguments());

    if (parser.isSet(to)) {
        const QStringList arrParts = parser.value(to).split(':');
        const std::optional<std::uint32_t> dwAddress =
            CardwiseCore::ParseTypedAddress(arrParts.value(0));
        bool bPort = false;
        const uint nPort = arrParts.value(1).toUInt(&bPort);
        if (arrParts.size() != 2 || !dwAddress || !bPort || nPort == 0 || nPort > 65535) {
            strError = "--to expects ADDRESS:PORT such as 127.0.0.1:16789";
            return false;
        }
        options.dwAddress = *dwAddress;
        options.nPort = nPort;
    }
    bool bOk = true;
    if (parser.isSet(rate))
        options.nRate = parser.value(rate).toInt(&bOk);
    if (!bOk || options.nRate < 1 || options.nRate > 1000000) {
        strError = "--rate expects a number from 1 to 1000000";
        return false;
    }
    if (parser.isSet(seconds))
        options.dSeconds = parser.value(seconds).toDouble(&bOk);
    if (!bOk || options.dSeconds < 0) {
        strError = "--seconds expects a number of seconds";
        return false;
    }
    const QStringList arrKinds = parser.isSet(kinds)
                                     ? parser.value(kinds).split(',')
                                     : QStringList{"garbage", "oversized", "info", "error"};
    for (const QString& strKind : arrKinds) {
        int nKind = 0;
        while (nKind < KIND_COUNT && strKind != QLatin1String(KIND_NAMES[nKind]))
            ++nKind;
        if (nKind == KIND_COUNT) {
            strError = QStringLiteral("unknown kind '%1'").arg(strKind);
            return false;
        }
        options.arrKinds.push_back(static_cast<EKind>(nKind));
    }
    if (parser.isSet(mac)) {
        options.bMac =
            CardProtocol::ParseMac(parser.value(mac).toLatin1().constData(), options.arrMac) != 0;
        if (!options.bMac) {
            strError = "--mac expects six hexadecimal octets such as 00-1A-2B-3C-4D-5E";
            return false;
        }
    }
    if (parser.isSet(seed))
        options.nSeed = parser.value(seed).toUInt(&bOk);
    if (!bOk) {
        strError = "--seed expects a non-negative number";
        return false;
    }
    return true;
}

class CFloodFrames
{
public:
    explicit CFloodFrames(const SFloodOptions& options)
        : m_options(options), m_random(options.nSeed)
    {
    }

    // The next datagram of the given kind.
    const std::vector<unsigned char>& Make(EKind nKind)
    {
        switch (nKind) {
        case KIND_GARBAGE:
            RandomBytes(Between(1, CardProtocol::FRAME_MAX));
            if (Between(0, 1) == 1 && m_arrBytes.size() >= CardProtocol::HEADER_SIZE) {
                std::memcpy(m_arrBytes.data(), CardProtocol::SYNC_BYTES, CardProtocol::SYNC_SIZE);
                m_arrBytes[4] = CardProtocol::HEAD_LEN;
                m_arrBytes[5] = 0;
            }
            break;
        case KIND_OVERSIZED:
            // Mostly a few kilobytes; now and then the largest datagram there is.
            RandomBytes(Between(0, 15) == 0 ? DATAGRAM_MAX
                                            : Between(CardProtocol::FRAME_MAX + 1, 8192));
            std::memcpy(m_arrBytes.data(), CardProtocol::SYNC_BYTES, CardProtocol::SYNC_SIZE);
            break;
        case KIND_INFO: {
            CSimCard card;
            ForgedMac(card.arrMac);
            card.dwIp = static_cast<std::uint32_t>(m_random());
            card.strDeviceId = SimDeviceIdFor(card.arrMac);
            card.nEncoding = static_cast<SimIntEncoding>(Between(0, 2));
            Encode(CardProtocol::CMD_DEVICE_INFO_BROADCAST, card.arrMac, card.DeviceInfo());
            break;
        }
        case KIND_ERROR: {
            unsigned char arrMac[CardProtocol::MAC_SIZE];
            ForgedMac(arrMac);
            CVarDataGroup items;
            items.Add(static_cast<char>(1), CardProtocol::ERROR_PASSWORD);
            Encode(CardProtocol::CMD_ERROR, arrMac, items);
            break;
        }
        case KIND_COUNT:
            break;
        }
        return m_arrBytes;
    }

private:
    int Between(int nLow, int nHigh)
    {
        return std::uniform_int_distribution<int>(nLow, nHigh)(m_random);
    }

    void RandomBytes(int nSize)
    {
        m_arrBytes.resize(static_cast<std::size_t>(nSize));
        for (unsigned char& ch : m_arrBytes)
            ch = static_cast<unsigned char>(m_random());
    }

    // Random locally administered MACs (02-...), so that no forged card is taken for a
    // simulated one, unless --mac names one.
    void ForgedMac(unsigned char* pMac)
    {
        if (m_options.bMac) {
            std::memcpy(pMac, m_options.arrMac, CardProtocol::MAC_SIZE);
            return;
        }
        pMac[0] = 0x02;
        for (int i = 1; i < CardProtocol::MAC_SIZE; ++i)
            pMac[i] = static_cast<unsigned char>(m_random());
    }

    void Encode(std::uint16_t nCommand, const unsigned char* pMac, const CVarDataGroup& items)
    {
        CCardFrameHeader header;
        header.CommandId = nCommand;
        header.SrcAddr = 0;
        header.DestAddr = 1;
        std::memcpy(header.MAC, pMac, CardProtocol::MAC_SIZE);
        CardFrame::FrameBuffer arrFrame;
        const int nLength = CardFrame::Encode(arrFrame, header, items);
        m_arrBytes.assign(arrFrame, arrFrame + (nLength > 0 ? nLength : 0));
    }

    const SFloodOptions& m_options;
    std::mt19937 m_random;
    std::vector<unsigned char> m_arrBytes;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    SFloodOptions options;
    QString strError;
    if (!ParseOptions(options, strError)) {
        std::fprintf(stderr, "cardwise-flood: %s\n", strError.toUtf8().constData());
        return 1;
    }
    NetworkIsolation::Require("cardwise-flood");

    const int nSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(options.dwAddress);
    target.sin_port = htons(static_cast<std::uint16_t>(options.nPort));
    if (nSocket < 0) {
        std::perror("cardwise-flood: socket");
        return 2;
    }
    std::signal(SIGTERM, [](int) { g_bStop = 1; });
    std::signal(SIGINT, [](int) { g_bStop = 1; });

    CFloodFrames frames(options);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    long long nSent = 0;
    long long nRefused = 0;
    std::size_t nNext = 0;
    while (!g_bStop) {
        const double dElapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (options.dSeconds > 0 && dElapsed >= options.dSeconds)
            break;
        // Catch up with the rate, then sleep a millisecond.
        const auto nDue = static_cast<long long>(dElapsed * options.nRate);
        for (; nSent < nDue && !g_bStop; ++nSent) {
            const std::vector<unsigned char>& arrBytes =
                frames.Make(options.arrKinds[nNext++ % options.arrKinds.size()]);
            if (::sendto(nSocket, arrBytes.data(), arrBytes.size(), 0,
                         reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0)
                ++nRefused; // nobody listens yet, or the receiver's buffer is full
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::close(nSocket);
    const double dElapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::fprintf(stderr, "cardwise-flood: %lld datagrams in %.2f s (%lld refused)\n", nSent,
                 dElapsed, nRefused);
    return 0;
}
