// SPDX-License-Identifier: GPL-3.0-or-later
// The IPv4 addresses of the PC's adapters.
#include "AdapterList.h"

#include <QNetworkInterface>

std::vector<CAdapterAddress> SystemAdapterAddresses()
{
    std::vector<CAdapterAddress> arrAddresses;
    const auto arrInterfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& iface : arrInterfaces) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const auto arrEntries = iface.addressEntries();
        for (const QNetworkAddressEntry& entry : arrEntries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            arrAddresses.push_back({entry.ip().toString(), entry.netmask().toString(),
                                    static_cast<unsigned int>(iface.index()), iface.name()});
        }
    }
    return arrAddresses;
}
