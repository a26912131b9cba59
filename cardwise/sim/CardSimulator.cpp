// CCardSimulator: request handling, replies with optional jitter, restart silence.
#include "CardSimulator.h"

#include "CardFrame.h"
#include "LmDebug.h"
#include "LmSocket.h"

#include <QByteArray>
#include <QTimer>

#include <cstring>
#include <ctime>

using namespace CardProtocol;

class CCardSimulator::CSimSocket : public CLmSocket
{
public:
    explicit CSimSocket(CCardSimulator* pSimulator) : m_pSimulator(pSimulator) {}

    int onReceive(const unsigned char* data, int size, const char* address,
                  unsigned int port) override
    {
        m_pSimulator->HandleDatagram(data, size, address, port);
        return 0;
    }

private:
    CCardSimulator* m_pSimulator;
};

CCardSimulator::CCardSimulator(std::vector<CSimCard> cards, const COptions& options,
                               QObject* parent)
    : QObject(parent), m_cards(std::move(cards)), m_restartEnds(m_cards.size()), m_options(options),
      m_random(options.nSeed)
{
}

CCardSimulator::~CCardSimulator() = default;

bool CCardSimulator::Start(QString& error)
{
    m_pSocket = std::make_unique<CSimSocket>(this);
    m_pSocket->SetBindAddress(m_options.strBind.toLatin1().constData());
    if (!m_pSocket->CreateSocket(m_options.nPort, CLmSocket::TYPE_DGRAM,
                                 CLmSocket::OPT_BROADCAST)) {
        error = QStringLiteral("cannot listen on %1:%2 (address not local, or port in use)")
                    .arg(m_options.strBind)
                    .arg(m_options.nPort);
        m_pSocket.reset();
        return false;
    }
    return true;
}

bool CCardSimulator::IsRestarting(std::size_t index) const
{
    return index < m_restartEnds.size() && !m_restartEnds[index].hasExpired();
}

void CCardSimulator::HandleDatagram(const unsigned char* data, int size, const char* address,
                                    unsigned int port)
{
    CCardFrameHeader header;
    CVarDataGroup values;
    const CardFrame::ParseResult result =
        CardFrame::Parse(data, size > 0 ? static_cast<std::size_t>(size) : 0, header, values);
    if (result != CardFrame::PARSE_OK) {
        LmTrace20("sim: ignored %d bytes from %s:%u: %s\n", size, address, port,
                  CardFrame::ParseResultText(result));
        return;
    }
    switch (header.CommandId) {
    case CMD_SEARCH_BROADCAST:
    case CMD_SEARCH: {
        CCardFrameHeader expected = header;
        CardFrame::SetSearchKey(expected);
        if (std::memcmp(expected.Password, header.Password, PASSWORD_SIZE) != 0) {
            LmTrace40("sim: search from %s:%u with a wrong search key ignored\n", address, port);
            return;
        }
        AnswerSearch(header.CommandId, address, port);
        break;
    }
    case CMD_SET_PARAMS_BROADCAST:
    case CMD_SET_PARAMS:
        AnswerSet(header.CommandId, header.MAC, header.Password, values, address, port);
        break;
    default:
        LmTrace20("sim: command 0x%04X from %s:%u ignored\n", header.CommandId, address, port);
        break;
    }
}

void CCardSimulator::AnswerSearch(std::uint16_t command, const std::string& address,
                                  unsigned int port)
{
    const std::uint16_t reply =
        command == CMD_SEARCH_BROADCAST ? CMD_DEVICE_INFO_BROADCAST : CMD_DEVICE_INFO;
    int answered = 0;
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        if (IsRestarting(i))
            continue;
        SendReply(m_cards[i], reply, m_cards[i].DeviceInfo(), address, port);
        ++answered;
    }
    LmTrace20("sim: search 0x%04X from %s:%u: %d cards answer\n", command, address.c_str(), port,
              answered);
}

void CCardSimulator::AnswerSet(std::uint16_t command, const unsigned char* mac,
                               const unsigned char* password, const CVarDataGroup& values,
                               const std::string& address, unsigned int port)
{
    char macText[MAC_TEXT_SIZE];
    FormatMac(mac, macText);
    for (std::size_t i = 0; i < m_cards.size(); ++i) {
        CSimCard& card = m_cards[i];
        if (std::memcmp(card.mac, mac, MAC_SIZE) != 0)
            continue;
        if (IsRestarting(i)) {
            LmTrace20("sim: %s is restarting; set request ignored\n", macText);
            return;
        }
        if (!card.AcceptsPassword(password)) {
            CVarDataGroup error;
            error.Add(static_cast<char>(1), ERROR_PASSWORD);
            SendReply(card, CMD_ERROR, error, address, port);
            LmTrace20("sim: %s: wrong password\n", macText);
            return;
        }
        const bool restart = card.Apply(values);
        const std::uint16_t reply =
            command == CMD_SET_PARAMS_BROADCAST ? CMD_SET_ACK_BROADCAST : CMD_SET_ACK;
        SendReply(card, reply, card.Acknowledgement(), address, port);
        if (restart)
            m_restartEnds[i] = QDeadlineTimer(m_options.nRestartMs);
        LmTrace20("sim: %s: settings applied%s\n", macText, restart ? ", restarting" : "");
        return;
    }
    LmTrace20("sim: set request for unknown card %s ignored\n", macText);
}

void CCardSimulator::SendReply(const CSimCard& card, std::uint16_t command,
                               const CVarDataGroup& items, const std::string& address,
                               unsigned int port)
{
    CCardFrameHeader header;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    CardFrame::SetTime(header, local);
    header.CommandId = command;
    header.SrcAddr = 0;
    header.DestAddr = 1;
    std::memcpy(header.MAC, card.mac, MAC_SIZE);
    CardFrame::FrameBuffer frame;
    const int length = CardFrame::Encode(frame, header, items);
    if (length <= 0 || !m_pSocket)
        return;

    if (m_options.nJitterMs <= 0) {
        m_pSocket->SendTo(frame, static_cast<unsigned long>(length), address.c_str(), port, 0);
        return;
    }
    std::uniform_int_distribution<int> delay(0, m_options.nJitterMs);
    const QByteArray bytes(reinterpret_cast<const char*>(frame), length);
    QTimer::singleShot(delay(m_random), this, [this, bytes, address, port] {
        if (m_pSocket)
            m_pSocket->SendTo(reinterpret_cast<const unsigned char*>(bytes.constData()),
                              static_cast<unsigned long>(bytes.size()), address.c_str(), port, 0);
    });
}
