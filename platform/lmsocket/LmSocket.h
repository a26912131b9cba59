// CLmSocket: the UDP endpoint base class, over QUdpSocket, delivering on the owning thread.
#pragma once

#include <memory>
#include <string>

class QUdpSocket;

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
    // Stops receiving; returns 1 (0 when nothing was open).
    virtual int Close();

    // The local address of the next CreateSocket, as dotted text; "0.0.0.0" by default.
    void SetBindAddress(const char* address);
    // The port actually bound (useful after binding port 0), or 0 when closed.
    unsigned int GetLocalPort() const;
    // The kernel's receive buffer size of the open endpoint, or 0.
    int GetReceiveBufferSize() const;

private:
    void DrainDatagrams();
    void ReleaseSocket();

    QUdpSocket* m_pSocket = nullptr;
    std::string m_strBindAddress = "0.0.0.0";
    int m_nReceiveDepth = 0;
    // Cleared by the destructor, so the drain loop notices a destruction from onReceive.
    std::shared_ptr<bool> m_pAlive;
};
