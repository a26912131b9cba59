// JSON configuration of the simulator, strictly checked: unknown keys and bad values are
// errors, so a typo does not silently give a card its defaults.
#include "SimConfig.h"

#include "ProgramOptions.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <QtEndian>

namespace {

// An address as a person types it; out in network byte order.
bool ReadAddress(const QJsonValue& value, std::uint32_t& out)
{
    const std::optional<std::uint32_t> address =
        value.isString() ? CardwiseCore::ParseTypedAddress(value.toString()) : std::nullopt;
    if (!address)
        return false;
    out = qToBigEndian(*address);
    return true;
}

bool ReadInt(const QJsonValue& value, int low, int high, int& out)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (number != static_cast<double>(static_cast<long long>(number)) || number < low ||
        number > high)
        return false;
    out = static_cast<int>(number);
    return true;
}

bool ReadCard(const QJsonObject& object, CSimCard& card, QString& error)
{
    static const QSet<QString> known = {
        "mac",         "ip",        "mask",           "gateway", "hw",
        "fw",          "password",  "dhcp",           "gridmon", "gridmon_password",
        "http",        "http_port", "admin_password", "snmp",    "telnet",
        "telnet_port", "device_id", "encoding"};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key())) {
            error = QStringLiteral("unknown key \"%1\"").arg(it.key());
            return false;
        }
    }
    const QJsonValue mac = object.value("mac");
    if (!mac.isString() ||
        !CardProtocol::ParseMac(mac.toString().toLatin1().constData(), card.mac)) {
        error = QStringLiteral("\"mac\" must be six hexadecimal octets such as 00-1A-2B-3C-4D-5E");
        return false;
    }
    card.deviceId = SimDeviceIdFor(card.mac);

    const struct
    {
        const char* key;
        std::uint32_t* target;
    } addresses[] = {{"ip", &card.ip}, {"mask", &card.mask}, {"gateway", &card.gateway}};
    for (const auto& a : addresses) {
        if (object.contains(a.key) && !ReadAddress(object.value(a.key), *a.target)) {
            error = QStringLiteral("\"%1\" must be an address of four numbers from 0 to 255")
                        .arg(a.key);
            return false;
        }
    }
    const struct
    {
        const char* key;
        int* target;
        int low, high;
    } numbers[] = {
        {"hw", &card.hwVersion, 0, 0x7FFFFFFF},
        {"fw", &card.fwVersion, 0, 0x7FFFFFFF},
        {"dhcp", &card.dhcp, 0, 1},
        {"gridmon", &card.gridmonEnable, 0, 1},
        {"http", &card.httpEnable, 0, 1},
        {"http_port", &card.httpPort, 0, 65535},
        {"snmp", &card.snmpEnable, 0, 1},
        {"telnet", &card.telnetEnable, 0, 1},
        {"telnet_port", &card.telnetPort, 0, 65535},
    };
    for (const auto& n : numbers) {
        if (object.contains(n.key) && !ReadInt(object.value(n.key), n.low, n.high, *n.target)) {
            error = QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                        .arg(n.key)
                        .arg(n.low)
                        .arg(n.high);
            return false;
        }
    }
    const struct
    {
        const char* key;
        std::string* target;
        int maxLength;
    } texts[] = {
        {"password", &card.password, 64},
        {"gridmon_password", &card.gridmonPassword, 255},
        {"admin_password", &card.adminPassword, 255},
        {"device_id", &card.deviceId, CardProtocol::DEVICE_ID_SIZE},
    };
    for (const auto& t : texts) {
        if (!object.contains(t.key))
            continue;
        const QJsonValue value = object.value(t.key);
        const QByteArray bytes = value.toString().toUtf8();
        if (!value.isString() || bytes.size() > t.maxLength || bytes.contains('\0')) {
            error = QStringLiteral("\"%1\" must be a text of at most %2 bytes")
                        .arg(t.key)
                        .arg(t.maxLength);
            return false;
        }
        *t.target = bytes.toStdString();
    }
    if (object.contains("encoding")) {
        const QString encoding = object.value("encoding").toString();
        if (encoding == "byte")
            card.encoding = SimIntEncoding::Byte;
        else if (encoding == "word")
            card.encoding = SimIntEncoding::Word;
        else if (encoding == "dword")
            card.encoding = SimIntEncoding::DWord;
        else {
            error = QStringLiteral("\"encoding\" must be \"byte\", \"word\" or \"dword\"");
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseSimConfig(const QByteArray& json, CSimConfig& config, QString& error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("not valid JSON at offset %1: %2")
                    .arg(parseError.offset)
                    .arg(parseError.errorString());
        return false;
    }
    if (!document.isObject()) {
        error = QStringLiteral("the top level must be an object with a \"cards\" array");
        return false;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != "cards" && it.key() != "bind" && it.key() != "port") {
            error = QStringLiteral("unknown key \"%1\"").arg(it.key());
            return false;
        }
    }
    CSimConfig parsed;
    if (root.contains("bind")) {
        std::uint32_t address = 0;
        if (!ReadAddress(root.value("bind"), address)) {
            error = QStringLiteral("\"bind\" must be an address of four numbers from 0 to 255");
            return false;
        }
        parsed.strBind = root.value("bind").toString();
    }
    if (root.contains("port") && !ReadInt(root.value("port"), 1, 65535, parsed.nPort)) {
        error = QStringLiteral("\"port\" must be a whole number from 1 to 65535");
        return false;
    }
    const QJsonValue cards = root.value("cards");
    if (!cards.isArray() || cards.toArray().isEmpty()) {
        error = QStringLiteral("\"cards\" must be a non-empty array");
        return false;
    }
    const QJsonArray array = cards.toArray();
    QSet<QByteArray> macs;
    for (int i = 0; i < array.size(); ++i) {
        if (!array.at(i).isObject()) {
            error = QStringLiteral("card %1 is not an object").arg(i + 1);
            return false;
        }
        CSimCard card;
        QString cardError;
        if (!ReadCard(array.at(i).toObject(), card, cardError)) {
            error = QStringLiteral("card %1: %2").arg(i + 1).arg(cardError);
            return false;
        }
        const QByteArray mac(reinterpret_cast<const char*>(card.mac), CardProtocol::MAC_SIZE);
        if (macs.contains(mac)) {
            error = QStringLiteral("card %1: its MAC is already used by another card").arg(i + 1);
            return false;
        }
        macs.insert(mac);
        parsed.cards.push_back(card);
    }
    config = std::move(parsed);
    return true;
}

bool LoadSimConfig(const QString& path, CSimConfig& config, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    // A configuration is a few kilobytes; refuse anything absurd before parsing it.
    constexpr qint64 MAX_SIZE = 16 * 1024 * 1024;
    if (file.size() > MAX_SIZE) {
        error = QStringLiteral("%1: larger than 16 MiB").arg(path);
        return false;
    }
    QString problem;
    if (!ParseSimConfig(file.readAll(), config, problem)) {
        error = QStringLiteral("%1: %2").arg(path, problem);
        return false;
    }
    return true;
}
