// SPDX-License-Identifier: GPL-3.0-or-later
// The saved inventory: the device list as a JSON document (or CSV), read back and compared
// with a fresh list.
#include "Inventory.h"

#include "CardProtocol.h"
#include "CoreText.h"
#include "DeviceListModel.h"
#include "DeviceNotes.h"
#include "OutputText.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <climits>
#include <cmath>

using CardwiseCore::Tr;

namespace {

struct SFieldInfo
{
    const char* pszKey;
    int nColumn;
    bool bNumber; // written bare (hw, fw), else as a string
};

constexpr SFieldInfo FIELDS[INV_FIELD_COUNT] = {
    {"mac", CDeviceListModel::COL_MAC, false},
    {"actual_ip", CDeviceListModel::COL_ACTUAL_IP, false},
    {"ip", CDeviceListModel::COL_IP, false},
    {"mask", CDeviceListModel::COL_MASK, false},
    {"gateway", CDeviceListModel::COL_GATEWAY, false},
    {"hw", CDeviceListModel::COL_HW_VER, true},
    {"fw", CDeviceListModel::COL_FW_VER, true},
    {"adapter", CDeviceListModel::COL_ADAPTER, false},
};
constexpr const char* NOTES_KEY = "notes";

// The list leaves these empty while it knows nothing of them; the document says null.
bool EmptyMeansUnknown(int nField)
{
    return nField == INV_HW || nField == INV_FW || nField == INV_ADAPTER;
}

// The MAC in the list's form, or none. An empty text stays: a card whose reply held no
// readable MAC is listed under it.
std::optional<QString> NormalizedMac(const QString& strText)
{
    if (strText.isEmpty())
        return strText;
    if (strText.size() >= CardProtocol::MAC_TEXT_SIZE)
        return std::nullopt;
    unsigned char arrMac[CardProtocol::MAC_SIZE];
    if (CardProtocol::ParseMac(strText.toLatin1().constData(), arrMac) == 0)
        return std::nullopt;
    char szText[CardProtocol::MAC_TEXT_SIZE];
    return QString::fromLatin1(CardProtocol::FormatMac(arrMac, szText));
}

// Reads one card object; strWhere names it in messages.
bool ParseCard(const QJsonObject& object, QString strWhere, SInventoryCard& card, QString& strError)
{
    const QJsonValue mac = object.value(QLatin1String(FIELDS[INV_MAC].pszKey));
    const std::optional<QString> strMac =
        mac.isString() ? NormalizedMac(mac.toString()) : std::nullopt;
    if (!strMac) {
        strError = Tr("%1: \"mac\" is not a MAC address such as 00-1A-2B-3C-4D-5E").arg(strWhere);
        return false;
    }
    card.arrFields[INV_MAC] = *strMac;
    if (!strMac->isEmpty())
        strWhere += QStringLiteral(" (%1)").arg(*strMac);

    for (int nField = INV_MAC + 1; nField < INV_FIELD_COUNT; ++nField) {
        const QString strKey = QLatin1String(FIELDS[nField].pszKey);
        const QJsonValue value = object.value(strKey);
        if (value.isUndefined() || value.isNull())
            continue;
        if (FIELDS[nField].bNumber) {
            const double dValue = value.toDouble(-1);
            if (!value.isDouble() || dValue < 1 || dValue > INT_MAX ||
                std::floor(dValue) != dValue) {
                strError = Tr("%1: \"%2\" is not a whole number from 1 to %3")
                               .arg(strWhere, strKey)
                               .arg(INT_MAX);
                return false;
            }
            card.arrFields[nField] = QString::number(static_cast<int>(dValue));
            continue;
        }
        if (!value.isString()) {
            strError = Tr("%1: \"%2\" is not a text").arg(strWhere, strKey);
            return false;
        }
        const QString strText = value.toString();
        if (strText.size() > INVENTORY_TEXT_MAX) {
            strError = Tr("%1: \"%2\" is longer than %3 characters")
                           .arg(strWhere, strKey)
                           .arg(INVENTORY_TEXT_MAX);
            return false;
        }
        card.arrFields[nField] = strText;
    }

    const QJsonValue notes = object.value(QLatin1String(NOTES_KEY));
    if (notes.isUndefined() || notes.isNull())
        return true;
    const QString strProblem = Tr("%1: \"notes\" is not a list of short texts").arg(strWhere);
    if (!notes.isArray()) {
        strError = strProblem;
        return false;
    }
    const QJsonArray arrNotes = notes.toArray();
    for (const QJsonValue note : arrNotes) {
        if (!note.isString() || note.toString().size() > INVENTORY_TEXT_MAX) {
            strError = strProblem;
            return false;
        }
        card.arrNotes.append(note.toString());
    }
    return true;
}

} // namespace

const char* InventoryKey(int nField)
{
    return nField >= 0 && nField < INV_FIELD_COUNT ? FIELDS[nField].pszKey : "";
}

int InventoryColumn(int nField)
{
    return nField >= 0 && nField < INV_FIELD_COUNT ? FIELDS[nField].nColumn
                                                   : static_cast<int>(CDeviceListModel::COL_KEY);
}

SInventoryCard InventoryCardFromRow(const CDeviceListModel& list, int nRow)
{
    SInventoryCard card;
    for (int nField = 0; nField < INV_FIELD_COUNT; ++nField) {
        const QString strText = list.GetItemText(nRow, FIELDS[nField].nColumn);
        if (!strText.isEmpty() || !EmptyMeansUnknown(nField))
            card.arrFields[nField] = strText;
    }
    card.arrNotes = NoteKeys(list.GetNotes(nRow));
    return card;
}

std::vector<SInventoryCard> InventoryFromList(const CDeviceListModel& list)
{
    std::vector<SInventoryCard> arrCards;
    arrCards.reserve(static_cast<std::size_t>(list.GetItemCount()));
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow)
        arrCards.push_back(InventoryCardFromRow(list, nRow));
    return arrCards;
}

QString InventoryValueJson(const SInventoryCard& card, int nField)
{
    if (nField < 0 || nField >= INV_FIELD_COUNT || !card.arrFields[nField])
        return QStringLiteral("null");
    return FIELDS[nField].bNumber ? *card.arrFields[nField] : JsonString(*card.arrFields[nField]);
}

QString InventoryCardJson(const SInventoryCard& card, const QString& strMore)
{
    QString strText = QStringLiteral("{");
    for (int nField = 0; nField < INV_FIELD_COUNT; ++nField)
        strText += QLatin1Char('"') + QLatin1String(FIELDS[nField].pszKey) + QLatin1String("\":") +
                   InventoryValueJson(card, nField) + QLatin1Char(',');
    QStringList arrNotes;
    for (const QString& strNote : card.arrNotes)
        arrNotes.append(JsonString(strNote));
    return strText + QLatin1Char('"') + QLatin1String(NOTES_KEY) + QLatin1String("\":[") +
           arrNotes.join(QLatin1Char(',')) + QLatin1Char(']') + strMore + QLatin1Char('}');
}

QString InventoryJsonArray(const std::vector<SInventoryCard>& arrCards)
{
    QStringList arrItems;
    for (const SInventoryCard& card : arrCards)
        arrItems.append(InventoryCardJson(card));
    return QLatin1Char('[') + arrItems.join(QLatin1Char(',')) + QLatin1Char(']');
}

QString InventoryJson(const std::vector<SInventoryCard>& arrCards)
{
    return QStringLiteral("{\"devices\":%1}\n").arg(InventoryJsonArray(arrCards));
}

QString InventoryCsv(const std::vector<SInventoryCard>& arrCards)
{
    QStringList arrHeader;
    for (const SFieldInfo& field : FIELDS)
        arrHeader.append(QLatin1String(field.pszKey));
    arrHeader.append(QLatin1String(NOTES_KEY));
    QString strText = arrHeader.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const SInventoryCard& card : arrCards) {
        QStringList arrCells;
        for (const std::optional<QString>& strValue : card.arrFields)
            arrCells.append(CsvField(strValue.value_or(QString())));
        arrCells.append(CsvField(card.arrNotes.join(QLatin1Char(' '))));
        strText += arrCells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return strText;
}

namespace {

bool ParseDocument(const QByteArray& strJson, std::vector<SInventoryCard>& arrCards,
                   QString& strError)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(strJson, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray strBefore = strJson.left(error.offset);
        const qsizetype nLineStart = strBefore.lastIndexOf('\n') + 1;
        strError = Tr("not JSON: %1 at line %2, column %3")
                       .arg(error.errorString())
                       .arg(strBefore.count('\n') + 1)
                       .arg(strBefore.size() - nLineStart + 1);
        return false;
    }
    const QJsonValue devices = document.object().value(QLatin1String("devices"));
    if (!devices.isArray()) {
        strError = Tr("not a saved device list: it has no \"devices\" list at the top");
        return false;
    }
    const QJsonArray arrItems = devices.toArray();
    arrCards.reserve(static_cast<std::size_t>(arrItems.size()));
    QHash<QString, int> mapSeen;
    int nNumber = 0;
    for (const QJsonValue item : arrItems) {
        ++nNumber;
        const QString strWhere = Tr("card %1").arg(nNumber);
        if (!item.isObject()) {
            strError = Tr("%1: not an object").arg(strWhere);
            return false;
        }
        SInventoryCard card;
        if (!ParseCard(item.toObject(), strWhere, card, strError))
            return false;
        const QString& strMac = *card.arrFields[INV_MAC];
        const int nFirst = mapSeen.value(strMac, 0);
        if (nFirst != 0) {
            strError = Tr("%1: MAC %2 is listed twice (card %3 has it too)")
                           .arg(strWhere, strMac)
                           .arg(nFirst);
            return false;
        }
        mapSeen.insert(strMac, nNumber);
        arrCards.push_back(std::move(card));
    }
    return true;
}

} // namespace

bool ParseInventory(const QByteArray& strJson, std::vector<SInventoryCard>& arrCards,
                    QString& strError)
{
    arrCards.clear();
    if (ParseDocument(strJson, arrCards, strError))
        return true;
    arrCards.clear();
    return false;
}

bool ReadInventoryFile(const QString& strPath, std::vector<SInventoryCard>& arrCards,
                       QString& strError)
{
    arrCards.clear();
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        strError = Tr("%1: cannot be read: %2").arg(strPath, file.errorString());
        return false;
    }
    // One byte more than allowed tells an oversized file (or a pipe) from a full one.
    const QByteArray strBytes = file.read(INVENTORY_MAX_BYTES + 1);
    if (strBytes.size() > INVENTORY_MAX_BYTES) {
        strError = Tr("%1: larger than %2 bytes, so no saved device list")
                       .arg(strPath)
                       .arg(INVENTORY_MAX_BYTES);
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        strError = Tr("%1: cannot be read: %2").arg(strPath, file.errorString());
        return false;
    }
    if (!ParseInventory(strBytes, arrCards, strError)) {
        strError = strPath + QStringLiteral(": ") + strError;
        return false;
    }
    return true;
}

bool WriteTextFile(const QString& strPath, const QString& strText, QString& strError)
{
    QSaveFile file(strPath);
    if (file.open(QIODevice::WriteOnly) && file.write(strText.toUtf8()) >= 0 && file.commit())
        return true;
    strError = Tr("%1: cannot be written: %2").arg(strPath, file.errorString());
    return false;
}

std::vector<int> ChangedFields(const SInventoryCard& saved, const SInventoryCard& found)
{
    std::vector<int> arrFields;
    for (int nField = INV_MAC + 1; nField < INV_FIELD_COUNT; ++nField) {
        if (saved.arrFields[nField] && found.arrFields[nField] &&
            *saved.arrFields[nField] != *found.arrFields[nField])
            arrFields.push_back(nField);
    }
    return arrFields;
}

SInventoryDiff CompareInventory(const std::vector<SInventoryCard>& arrSaved,
                                const std::vector<SInventoryCard>& arrFound)
{
    QHash<QString, const SInventoryCard*> mapSaved;
    for (const SInventoryCard& card : arrSaved)
        mapSaved.insert(card.arrFields[INV_MAC].value_or(QString()), &card);
    QHash<QString, bool> mapFound;
    SInventoryDiff diff;
    for (const SInventoryCard& card : arrFound) {
        const QString strMac = card.arrFields[INV_MAC].value_or(QString());
        mapFound.insert(strMac, true);
        const SInventoryCard* pSaved = mapSaved.value(strMac, nullptr);
        if (pSaved == nullptr) {
            diff.arrNew.push_back(card);
            continue;
        }
        std::vector<int> arrFields = ChangedFields(*pSaved, card);
        if (!arrFields.empty())
            diff.arrChanged.push_back({*pSaved, card, std::move(arrFields)});
    }
    for (const SInventoryCard& card : arrSaved) {
        if (!mapFound.contains(card.arrFields[INV_MAC].value_or(QString())))
            diff.arrMissing.push_back(card);
    }
    return diff;
}

QString InventorySummary(const SInventoryDiff& diff)
{
    return Tr("%1 new, %2 missing, %3 changed")
        .arg(diff.arrNew.size())
        .arg(diff.arrMissing.size())
        .arg(diff.arrChanged.size());
}
