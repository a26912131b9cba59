// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's JSON configuration: the cards and, optionally, the endpoint.
//
// {
//   "bind": "0.0.0.0", "port": 16788,
//   "cards": [ { "mac": "00-1A-2B-00-00-01", "ip": "10.77.1.101", "mask": "255.255.255.0",
//                "gateway": "10.77.1.1", "hw": 2, "fw": 215, "password": "lemon",
//                "dhcp": 0, "gridmon": 1, "gridmon_password": "KOVAL-WERK", "http": 1,
//                "http_port": 80, "admin_password": "admin", "snmp": 1, "telnet": 1,
//                "telnet_port": 23, "device_id": "...", "encoding": "byte",
//                "applies": true, "silent": false } ]
// }
//
// Only "mac" is required for a card; the other keys default to the values of CSimCard, the
// device identifier to one derived from the MAC, the encoding to "dword". "applies": false
// makes a card acknowledge set requests and keep its values; "silent": true makes it answer
// nothing. A password has at
// most 16 bytes, the part of it that a set request carries.
#pragma once

#include "SimCard.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct CSimConfig
{
    std::vector<CSimCard> arrCards;
    QString strBind; // empty when the file does not set it
    int nPort = 0;   // 0 when the file does not set it
};

// Parses a configuration; on failure returns false and a message that names the problem and
// its line ("line 7: card 2: ...").
bool ParseSimConfig(const QByteArray& strJson, CSimConfig& config, QString& strError);
// Reads (at most 16 MiB) and parses a configuration file; messages name the file.
bool LoadSimConfig(const QString& strPath, CSimConfig& config, QString& strError);
