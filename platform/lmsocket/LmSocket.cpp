// SPDX-License-Identifier: GPL-3.0-or-later
// CLmSocket over QUdpSocket: explicit broadcast permission, a forced large receive buffer,
// and a drain loop that survives the endpoint being closed or destroyed by onReceive.
#include "LmSocket.h"

#include "LmDebug.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

namespace {

void EnlargeReceiveBuffer(int fd, int size)
{
    // SO_RCVBUFFORCE passes net.core.rmem_max when the process may administer the network;
    // otherwise take what SO_RCVBUF grants.
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) == 0)
        return;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) != 0)
        LmTrace20("LmSocket: cannot enlarge the receive buffer\n");
}

} // namespace

CLmSocket::CLmSocket() : m_pAlive(std::make_shared<bool>(true)) {}

CLmSocket::~CLmSocket()
{
    *m_pAlive = false;
    ReleaseSocket();
}

void CLmSocket::onClose(int error)
{
    LmTrace0("LmSocket: closed (%d)\n", error);
}

int CLmSocket::onReceive(const unsigned char*, int, const char*, unsigned int)
{
    return 0;
}

int CLmSocket::OnAccept(int)
{
    return 0;
}

void CLmSocket::onSocketError(int error, const char* text, unsigned int port)
{
    LmTrace20("LmSocket: error %d on port %u: %s\n", error, port, text ? text : "");
}

int CLmSocket::CreateSocket(unsigned int port, int type, unsigned int /*options*/)
{
    if (m_pSocket)
        Close();
    ReleaseSocket();
    if (type != TYPE_DGRAM || port > 0xFFFF)
        return 0;
    const QHostAddress bindAddress(QString::fromStdString(m_strBindAddress));
    if (bindAddress.protocol() != QAbstractSocket::IPv4Protocol) {
        LmTrace40("LmSocket: not an IPv4 address: %s\n", m_strBindAddress.c_str());
        return 0;
    }

    m_mapInterfaceNames.clear();
    m_pSocket = new QUdpSocket;
    if (!m_pSocket->bind(bindAddress, static_cast<quint16>(port),
                         QAbstractSocket::DontShareAddress)) {
        LmTrace40("LmSocket: cannot bind %s:%u: %s\n", m_strBindAddress.c_str(), port,
                  m_pSocket->errorString().toLocal8Bit().constData());
        ReleaseSocket();
        return 0;
    }
    const int fd = static_cast<int>(m_pSocket->socketDescriptor());
    const int on = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        LmTrace40("LmSocket: cannot permit broadcasts\n");
        ReleaseSocket();
        return 0;
    }
    EnlargeReceiveBuffer(fd, RECEIVE_BUFFER_SIZE);

    QObject::connect(m_pSocket, &QUdpSocket::readyRead, m_pSocket, [this] { DrainDatagrams(); });
    QObject::connect(m_pSocket, &QUdpSocket::errorOccurred, m_pSocket,
                     [this](QAbstractSocket::SocketError error) {
                         onSocketError(static_cast<int>(error),
                                       m_pSocket->errorString().toLocal8Bit().constData(),
                                       m_pSocket->localPort());
                     });
    return 1;
}

int CLmSocket::SendTo(const unsigned char* data, unsigned long size, const char* address,
                      unsigned int port, unsigned long /*flags*/)
{
    if (!m_pSocket || m_pSocket->state() != QAbstractSocket::BoundState || !data || !address ||
        port > 0xFFFF)
        return 0;
    const QHostAddress destination(QString::fromLatin1(address));
    if (destination.protocol() != QAbstractSocket::IPv4Protocol)
        return 0;
    const qint64 sent =
        m_pSocket->writeDatagram(reinterpret_cast<const char*>(data), static_cast<qint64>(size),
                                 destination, static_cast<quint16>(port));
    return sent > 0 ? static_cast<int>(sent) : 0;
}

int CLmSocket::SendFrom(const unsigned char* data, unsigned long size, const char* address,
                        unsigned int port, const char* source)
{
    if (!source || !*source)
        return SendTo(data, size, address, port, 0);
    if (!m_pSocket || m_pSocket->state() != QAbstractSocket::BoundState || !data || !address ||
        port > 0xFFFF)
        return 0;
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(static_cast<std::uint16_t>(port));
    in_pktinfo info{};
    if (::inet_pton(AF_INET, address, &destination.sin_addr) != 1 ||
        ::inet_pton(AF_INET, source, &info.ipi_spec_dst) != 1)
        return 0;
    // Qt 6.4 puts a datagram's sender into ipi_addr, which Linux ignores when sending: the
    // source address travels in ipi_spec_dst, so the message is built here.
    iovec part{const_cast<unsigned char*>(data), size};
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &destination;
    message.msg_namelen = sizeof destination;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof info);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    const ssize_t sent =
        ::sendmsg(static_cast<int>(m_pSocket->socketDescriptor()), &message, MSG_NOSIGNAL);
    return sent > 0 ? static_cast<int>(sent) : 0;
}

int CLmSocket::Close()
{
    if (!m_pSocket || m_pSocket->state() == QAbstractSocket::UnconnectedState)
        return 0;
    m_pSocket->close();
    // What was read and not yet delivered goes with the socket.
    m_queue.clear();
    m_nQueuedBytes = 0;
    onClose(0);
    return 1;
}

void CLmSocket::SetBindAddress(const char* address)
{
    m_strBindAddress = address ? address : "0.0.0.0";
}

unsigned int CLmSocket::GetLocalPort() const
{
    return m_pSocket && m_pSocket->state() == QAbstractSocket::BoundState ? m_pSocket->localPort()
                                                                          : 0;
}

int CLmSocket::GetReceiveBufferSize() const
{
    if (!m_pSocket || m_pSocket->state() != QAbstractSocket::BoundState)
        return 0;
    int size = 0;
    socklen_t length = sizeof size;
    if (::getsockopt(static_cast<int>(m_pSocket->socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &size,
                     &length) != 0)
        return 0;
    return size;
}

std::string CLmSocket::InterfaceName(unsigned int index)
{
    if (index == 0)
        return {};
    const auto found = m_mapInterfaceNames.find(index);
    if (found != m_mapInterfaceNames.end())
        return found->second;
    std::string name =
        QNetworkInterface::interfaceNameFromIndex(static_cast<int>(index)).toStdString();
    m_mapInterfaceNames.emplace(index, name);
    return name;
}

int CLmSocket::DeliverDatagram(const unsigned char* data, int size, const char* address,
                               unsigned int port, const CLmPacketInfo& info)
{
    // A nested event loop in onReceive may deliver the next datagram before this one is done,
    // and onReceive may destroy the endpoint.
    const std::shared_ptr<bool> alive = m_pAlive;
    const CLmPacketInfo outer = m_packetInfo;
    m_packetInfo = info;
    const int result = onReceive(data, size, address, port);
    if (*alive)
        m_packetInfo = outer;
    return result;
}

void CLmSocket::DrainDatagrams()
{
    // Everything waiting is read at once, as Qt expects of a readyRead handler; onReceive then
    // sees it in batches, one per turn of the event loop, so that a flood faster than
    // onReceive cannot starve the timers. Beyond the queue's bound datagrams are dropped, as a
    // full receive buffer would.
    QUdpSocket* socket = m_pSocket;
    int dropped = 0;
    while (socket->state() == QAbstractSocket::BoundState && socket->hasPendingDatagrams()) {
        QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        const qsizetype size = datagram.data().size();
        if (m_nQueuedBytes + size > MAX_QUEUED_BYTES) {
            ++dropped;
            continue;
        }
        m_nQueuedBytes += size;
        m_queue.push_back(std::move(datagram));
    }
    if (dropped > 0)
        LmTrace40("LmSocket: %d datagrams dropped, more than onReceive can take\n", dropped);
    DeliverQueued();
}

void CLmSocket::DeliverQueued()
{
    const std::shared_ptr<bool> alive = m_pAlive;
    QUdpSocket* socket = m_pSocket;
    ++m_nReceiveDepth;
    for (int budget = DELIVERY_BATCH; !m_queue.empty(); --budget) {
        if (budget == 0) {
            if (!m_bDeliveryPosted) {
                m_bDeliveryPosted = true;
                QTimer::singleShot(0, socket, [this, alive] {
                    if (!*alive)
                        return;
                    m_bDeliveryPosted = false;
                    DeliverQueued();
                });
            }
            break;
        }
        const QNetworkDatagram datagram = std::move(m_queue.front());
        m_queue.pop_front();
        const QByteArray bytes = datagram.data();
        m_nQueuedBytes -= bytes.size();
        const quint32 sender = datagram.senderAddress().toIPv4Address();
        char address[16];
        std::snprintf(address, sizeof address, "%u.%u.%u.%u", sender >> 24, (sender >> 16) & 0xFF,
                      (sender >> 8) & 0xFF, sender & 0xFF);
        // Qt asks for the packet information on every UDP socket (IP_PKTINFO).
        CLmPacketInfo info;
        if (datagram.destinationAddress().protocol() == QAbstractSocket::IPv4Protocol)
            info.dwDestination = htonl(datagram.destinationAddress().toIPv4Address());
        info.nInterface = datagram.interfaceIndex();
        DeliverDatagram(reinterpret_cast<const unsigned char*>(bytes.constData()),
                        static_cast<int>(bytes.size()), address,
                        static_cast<unsigned int>(datagram.senderPort()), info);
        if (!*alive)
            return; // destroyed from inside onReceive; the socket was handed to deleteLater
        if (m_pSocket != socket)
            break; // closed or reopened from inside onReceive; the queue went with the socket
    }
    --m_nReceiveDepth;
}

void CLmSocket::ReleaseSocket()
{
    if (!m_pSocket)
        return;
    QUdpSocket* socket = m_pSocket;
    m_pSocket = nullptr;
    m_queue.clear();
    m_nQueuedBytes = 0;
    m_bDeliveryPosted = false;
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    socket->close();
    // Deleting the QUdpSocket inside its own readyRead emission is not allowed.
    if (m_nReceiveDepth > 0)
        socket->deleteLater();
    else
        delete socket;
}
