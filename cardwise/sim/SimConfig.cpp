// SPDX-License-Identifier: GPL-3.0-or-later
// JSON configuration of the simulator, strictly checked: unknown keys and bad values are
// errors, so a typo does not silently give a card its defaults.
#include "SimConfig.h"

#include "JsonLines.h"
#include "ProgramOptions.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace {

// An address as a person types it; out in network byte order.
bool ReadAddress(const QJsonValue& value, std::uint32_t& dwOut)
{
    const std::optional<std::uint32_t> dwAddress =
        value.isString() ? CardwiseCore::ParseTypedAddress(value.toString()) : std::nullopt;
    if (!dwAddress)
        return false;
    dwOut = qToBigEndian(*dwAddress);
    return true;
}

bool ReadInt(const QJsonValue& value, int nLow, int nHigh, int& nOut)
{
    if (!value.isDouble())
        return false;
    const double dNumber = value.toDouble();
    if (dNumber != static_cast<double>(static_cast<long long>(dNumber)) || dNumber < nLow ||
        dNumber > nHigh)
        return false;
    nOut = static_cast<int>(dNumber);
    return true;
}

// Reads one card; on failure the message and, in strKey, the key at fault (empty: the card).
bool ReadCard(const QJsonObject& object, CSimCard& card, QString& strError, QString& strKey)
{
    static const QSet<QString> KNOWN_KEYS = {
        "mac",         "ip",        "mask",           "gateway", "hw",
        "fw",          "password",  "dhcp",           "gridmon", "gridmon_password",
        "http",        "http_port", "admin_password", "snmp",    "telnet",
        "telnet_port", "device_id", "encoding",       "applies", "silent"};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!KNOWN_KEYS.contains(it.key())) {
            strError = QStringLiteral("unknown key \"%1\"").arg(it.key());
            strKey = it.key();
            return false;
        }
    }
    const QJsonValue mac = object.value("mac");
    strKey = QStringLiteral("mac");
    if (!mac.isString() || !CardwiseCore::ParseTypedMac(mac.toString(), card.arrMac)) {
        strError =
            QStringLiteral("\"mac\" must be six hexadecimal octets such as 00-1A-2B-3C-4D-5E");
        return false;
    }
    card.strDeviceId = SimDeviceIdFor(card.arrMac);

    const struct
    {
        const char* pszKey;
        std::uint32_t* pTarget;
    } arrAddresses[] = {{"ip", &card.dwIp}, {"mask", &card.dwMask}, {"gateway", &card.dwGateway}};
    for (const auto& a : arrAddresses) {
        strKey = QString::fromLatin1(a.pszKey);
        if (object.contains(a.pszKey) && !ReadAddress(object.value(a.pszKey), *a.pTarget)) {
            strError = QStringLiteral("\"%1\" must be an address of four numbers from 0 to 255")
                           .arg(a.pszKey);
            return false;
        }
    }
    const struct
    {
        const char* pszKey;
        int* pTarget;
        int nLow, nHigh;
    } arrNumbers[] = {
        {"hw", &card.nHwVersion, 0, 0x7FFFFFFF},
        {"fw", &card.nFwVersion, 0, 0x7FFFFFFF},
        {"dhcp", &card.nDhcp, 0, 1},
        {"gridmon", &card.nGridmonEnable, 0, 1},
        {"http", &card.nHttpEnable, 0, 1},
        {"http_port", &card.nHttpPort, 0, 65535},
        {"snmp", &card.nSnmpEnable, 0, 1},
        {"telnet", &card.nTelnetEnable, 0, 1},
        {"telnet_port", &card.nTelnetPort, 0, 65535},
    };
    for (const auto& n : arrNumbers) {
        strKey = QString::fromLatin1(n.pszKey);
        if (object.contains(n.pszKey) &&
            !ReadInt(object.value(n.pszKey), n.nLow, n.nHigh, *n.pTarget)) {
            strError = QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                           .arg(n.pszKey)
                           .arg(n.nLow)
                           .arg(n.nHigh);
            return false;
        }
    }
    const struct
    {
        const char* pszKey;
        std::string* pTarget;
        int nMaxLength;
    } arrTexts[] = {
        // Only the first 16 bytes travel in a set request: a longer password never matches.
        {"password", &card.strPassword, CardProtocol::PASSWORD_SIZE},
        {"gridmon_password", &card.strGridmonPassword, 255},
        {"admin_password", &card.strAdminPassword, 255},
        {"device_id", &card.strDeviceId, CardProtocol::DEVICE_ID_SIZE},
    };
    for (const auto& t : arrTexts) {
        if (!object.contains(t.pszKey))
            continue;
        strKey = QString::fromLatin1(t.pszKey);
        const QJsonValue value = object.value(t.pszKey);
        const QByteArray strBytes = value.toString().toUtf8();
        if (!value.isString() || strBytes.size() > t.nMaxLength || strBytes.contains('\0')) {
            strError = QStringLiteral("\"%1\" must be a text of at most %2 bytes")
                           .arg(t.pszKey)
                           .arg(t.nMaxLength);
            return false;
        }
        *t.pTarget = strBytes.toStdString();
    }
    const struct
    {
        const char* pszKey;
        bool* pTarget;
    } arrFlags[] = {{"applies", &card.bApplies}, {"silent", &card.bSilent}};
    for (const auto& f : arrFlags) {
        if (!object.contains(f.pszKey))
            continue;
        strKey = QString::fromLatin1(f.pszKey);
        if (!object.value(f.pszKey).isBool()) {
            strError = QStringLiteral("\"%1\" must be true or false").arg(f.pszKey);
            return false;
        }
        *f.pTarget = object.value(f.pszKey).toBool();
    }
    if (object.contains("encoding")) {
        strKey = QStringLiteral("encoding");
        const QString strEncoding = object.value("encoding").toString();
        if (strEncoding == "byte")
            card.nEncoding = SimIntEncoding::Byte;
        else if (strEncoding == "word")
            card.nEncoding = SimIntEncoding::Word;
        else if (strEncoding == "dword")
            card.nEncoding = SimIntEncoding::DWord;
        else {
            strError = QStringLiteral("\"encoding\" must be \"byte\", \"word\" or \"dword\"");
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseSimConfig(const QByteArray& strJson, CSimConfig& config, QString& strError)
{
    const auto fnFail = [&strError](int nLine, const QString& strMessage) {
        strError = QStringLiteral("line %1: %2").arg(std::max(nLine, 1)).arg(strMessage);
        return false;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(strJson, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const int nLine = static_cast<int>(strJson.left(parseError.offset).count('\n')) + 1;
        return fnFail(nLine, QStringLiteral("not valid JSON: %1").arg(parseError.errorString()));
    }
    if (!document.isObject())
        return fnFail(1, QStringLiteral("the top level must be an object with a \"cards\" array"));
    const CJsonLines lines(strJson, QStringLiteral("cards"));
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != "cards" && it.key() != "bind" && it.key() != "port")
            return fnFail(lines.RootKey(it.key()),
                          QStringLiteral("unknown key \"%1\"").arg(it.key()));
    }
    CSimConfig parsed;
    if (root.contains("bind")) {
        std::uint32_t dwAddress = 0;
        if (!ReadAddress(root.value("bind"), dwAddress))
            return fnFail(lines.RootKey("bind"),
                          "\"bind\" must be an address of four numbers from 0 to 255");
        parsed.strBind = root.value("bind").toString();
    }
    if (root.contains("port") && !ReadInt(root.value("port"), 1, 65535, parsed.nPort))
        return fnFail(lines.RootKey("port"), "\"port\" must be a whole number from 1 to 65535");
    const QJsonValue cards = root.value("cards");
    if (!cards.isArray() || cards.toArray().isEmpty())
        return fnFail(lines.RootKey("cards"), "\"cards\" must be a non-empty array");
    const QJsonArray array = cards.toArray();
    QSet<QByteArray> arrMacs;
    for (int i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject())
            return fnFail(lines.Element(i), QStringLiteral("card %1 is not an object").arg(i + 1));
        CSimCard card;
        QString strCardError;
        QString strKey;
        if (!ReadCard(array.at(i).toObject(), card, strCardError, strKey))
            return fnFail(lines.ElementKey(i, strKey),
                          QStringLiteral("card %1: %2").arg(i + 1).arg(strCardError));
        const QByteArray strMac(reinterpret_cast<const char*>(card.arrMac), CardProtocol::MAC_SIZE);
        if (arrMacs.contains(strMac))
            return fnFail(
                lines.ElementKey(i, "mac"),
                QStringLiteral("card %1: its MAC is already used by another card").arg(i + 1));
        arrMacs.insert(strMac);
        parsed.arrCards.push_back(card);
    }
    config = std::move(parsed);
    return true;
}

bool LoadSimConfig(const QString& strPath, CSimConfig& config, QString& strError)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        strError = QStringLiteral("%1: %2").arg(strPath, file.errorString());
        return false;
    }
    // A configuration is a few kilobytes. The read itself is bounded: a device or a pipe
    // (/dev/zero) reports no size, or a false one.
    constexpr qint64 MAX_SIZE = qint64{16} * 1024 * 1024;
    const QByteArray strJson = file.read(MAX_SIZE + 1);
    if (strJson.size() > MAX_SIZE) {
        strError = QStringLiteral("%1: larger than 16 MiB").arg(strPath);
        return false;
    }
    QString strProblem;
    if (!ParseSimConfig(strJson, config, strProblem)) {
        strError = QStringLiteral("%1: %2").arg(strPath, strProblem);
        return false;
    }
    return true;
}
