// CDeviceOwner: what the device socket reports to (the main window, the command-line tool, tests).
#pragma once

#include <cstdint>

class CDeviceOwner
{
public:
    virtual ~CDeviceOwner() = default;

    // A complete device-information reply, or an acknowledgement with both versions -1.
    // sourceAddress is the reply's sender in network byte order; texts are dotted quads.
    virtual void AddOrUpdateDevice(std::uint32_t sourceAddress, const char* mac, const char* ip,
                                   const char* mask, const char* gateway, int hwVersion,
                                   int fwVersion) = 0;
    // An error reply; the socket always passes keepRunning 0.
    virtual void SetProcessStatus(int keepRunning, const char* text) = 0;
};
