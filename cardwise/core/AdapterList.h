// SPDX-License-Identifier: GPL-3.0-or-later
// The IPv4 addresses of the PC's adapters, from which a Local search derives its broadcasts.
#pragma once

#include <QString>

#include <functional>
#include <vector>

struct CAdapterAddress
{
    QString strAddress;          // dotted quad
    QString strMask;             // dotted quad
    unsigned int nInterface = 0; // the interface's index; 0 when unknown
    QString strInterface;        // the interface's name ("eth0")
};

using AdapterProvider = std::function<std::vector<CAdapterAddress>()>;

// Every IPv4 entry of the interfaces that are up and not loopback, in interface order.
std::vector<CAdapterAddress> SystemAdapterAddresses();
