// SPDX-License-Identifier: GPL-3.0-or-later
// CLmSocket: the UDP endpoint base class, over QUdpSocket, delivering on the owning thread.
#pragma once

#include <QNetworkDatagram>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

class QUdpSocket;

// Where a datagram was received, from the packet information that the socket asks for.
struct CLmPacketInfo
{
    std::uint32_t dwDestination = 0; // the address it was sent to, network byte order; 0 unknown
    unsigned int nInterface = 0;     // index of the local interface; 0 unknown
};

// An unopened endpoint until CreateSocket. Received datagrams reach onReceive on the thread
// that called CreateSocket, through that thread's event loop. A subclass may close or even
// destroy the endpoint from inside onReceive.
class CLmSocket
{
public:
    // The values of the Windows constants the callers pass.
    static constexpr int TYPE_DGRAM = 2;                // SOCK_DGRAM
    static constexpr unsigned int OPT_BROADCAST = 0x20; // SO_BROADCAST
    // Large enough for the replies of a few thousand cards arriving at once.
    static constexpr int RECEIVE_BUFFER_SIZE = 4 * 1024 * 1024;

    CLmSocket();
    virtual ~CLmSocket();
    CLmSocket(const CLmSocket&) = delete;
    CLmSocket& operator=(const CLmSocket&) = delete;

    // Notifications; the base versions do nothing but trace.
    virtual void onClose(int error);
    // One call per received datagram: its bytes, their count, the sender's dotted IPv4 address
    // and port. The base version ignores the datagram and returns 0.
    virtual int onReceive(const unsigned char* data, int size, const char* address,
                          unsigned int port);
    virtual int OnAccept(int error);
    // error is a QAbstractSocket::SocketError, text its description, port the local port.
    virtual void onSocketError(int error, const char* text, unsigned int port);

    // Binds a UDP endpoint to the bind address (0.0.0.0 unless set) and port, without sharing
    // the port. Sending to broadcast addresses is always permitted, whatever the options: a
    // directed broadcast can be the target of any request. Returns 1, or 0 when type is not
    // TYPE_DGRAM or the bind fails (an open endpoint is closed first).
    virtual int CreateSocket(unsigned int port, int type, unsigned int options);
    // Sends one datagram to a dotted IPv4 address; flags are not used. Returns the bytes
    // sent, or 0 when nothing was sent.
    virtual int SendTo(const unsigned char* data, unsigned long size, const char* address,
                       unsigned int port, unsigned long flags);
    // SendTo from one local address of an endpoint bound to all of them (dotted text; empty
    // or null: the system chooses, as for SendTo).
    int SendFrom(const unsigned char* data, unsigned long size, const char* address,
                 unsigned int port, const char* source);
    // Stops receiving; returns 1 (0 when nothing was open).
    virtual int Close();

    // The local address of the next CreateSocket, as dotted text; "0.0.0.0" by default.
    void SetBindAddress(const char* address);
    // The port actually bound (useful after binding port 0), or 0 when closed.
    unsigned int GetLocalPort() const;
    // The kernel's receive buffer size of the open endpoint, or 0.
    int GetReceiveBufferSize() const;
    // The name of the local interface with this index ("eth0"), or empty when there is none.
    virtual std::string InterfaceName(unsigned int index);

protected:
    // Where the datagram that onReceive is handling was received; zeros outside onReceive.
    const CLmPacketInfo& GetPacketInfo() const { return m_packetInfo; }
    // Hands one datagram with its packet information to onReceive (the drain loop, and
    // endpoints without a network in tests).
    int DeliverDatagram(const unsigned char* data, int size, const char* address, unsigned int port,
                        const CLmPacketInfo& info);

private:
    // Datagrams that onReceive sees in one turn of the event loop, and the bound of those
    // waiting for a later turn.
    static constexpr int DELIVERY_BATCH = 256;
    static constexpr qsizetype MAX_QUEUED_BYTES = qsizetype{8} * 1024 * 1024;
    void DrainDatagrams();
    void DeliverQueued();
    void ReleaseSocket();

    QUdpSocket* m_pSocket = nullptr;
    std::string m_strBindAddress = "0.0.0.0";
    int m_nReceiveDepth = 0;
    std::deque<QNetworkDatagram> m_queue; // read, not yet delivered
    qsizetype m_nQueuedBytes = 0;
    bool m_bDeliveryPosted = false;
    CLmPacketInfo m_packetInfo;
    // Interface names by index: a lookup lists every interface, and replies come by the
    // thousand.
    std::map<unsigned int, std::string> m_mapInterfaceNames;
    // Cleared by the destructor, so the drain loop notices a destruction from onReceive.
    std::shared_ptr<bool> m_pAlive;
};
