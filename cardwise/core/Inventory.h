// SPDX-License-Identifier: GPL-3.0-or-later
// The saved inventory: the device list as a JSON document (or CSV), read back and compared
// with a fresh list.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class CDeviceListModel;

// The values of a card, in the document's key order; "notes" follows them.
enum EInventoryField
{
    INV_MAC,
    INV_ACTUAL_IP,
    INV_IP,
    INV_MASK,
    INV_GATEWAY,
    INV_HW,
    INV_FW,
    INV_ADAPTER,
    INV_FIELD_COUNT
};

// A file bigger than this is refused unread: a sweep lists at most 65,536 cards of some
// 250 bytes each.
constexpr qint64 INVENTORY_MAX_BYTES = qint64{24} * 1024 * 1024;
// The longest text a field may hold (the longest a card sends is a dotted address).
constexpr int INVENTORY_TEXT_MAX = 255;

struct SInventoryCard
{
    // The texts as the list shows them; none where the document has null (or, in a file,
    // leaves the key out): not known, so never compared.
    std::array<std::optional<QString>, INV_FIELD_COUNT> arrFields;
    QStringList arrNotes; // the notes' keys (NoteKeys)
};

// The JSON key of a field ("mac", "actual_ip", ...).
const char* InventoryKey(int nField);
// The device list column that shows the field.
int InventoryColumn(int nField);

// The listed cards in list order: what was found, not the Missing rows of a comparison.
std::vector<SInventoryCard> InventoryFromList(const CDeviceListModel& list);
// One row's card.
SInventoryCard InventoryCardFromRow(const CDeviceListModel& list, int nRow);

// A field's value as JSON: a number (hw, fw), a string, or null when not known.
QString InventoryValueJson(const SInventoryCard& card, int nField);
// {"mac":..,"actual_ip":..,...,"notes":[..]} with strMore (",\"key\":value...") before the
// closing brace; hw and fw are numbers, unknown values null.
QString InventoryCardJson(const SInventoryCard& card, const QString& strMore = QString());
// The JSON array of the cards, as the document puts it under "devices".
QString InventoryJsonArray(const std::vector<SInventoryCard>& arrCards);
// The document: {"devices":[...]} and a line break.
QString InventoryJson(const std::vector<SInventoryCard>& arrCards);
// The CSV form: a header of the keys, a line per card, the notes blank-separated in one field.
QString InventoryCsv(const std::vector<SInventoryCard>& arrCards);

// Reads a document as InventoryJson writes it; other top-level keys and card keys are
// ignored. MACs come back in the list's form (upper case, hyphens). On failure returns false
// and, in strError, what is wrong and where (the card's number and MAC, or line and column).
bool ParseInventory(const QByteArray& strJson, std::vector<SInventoryCard>& arrCards,
                    QString& strError);
// ParseInventory of a file of at most INVENTORY_MAX_BYTES; strError names the file.
bool ReadInventoryFile(const QString& strPath, std::vector<SInventoryCard>& arrCards,
                       QString& strError);
// Writes the text whole or not at all (a failed write leaves an older file as it was).
bool WriteTextFile(const QString& strPath, const QString& strText, QString& strError);

// The fields in which the two cards differ, of those both know. Notes are not compared:
// they follow from the other cards and the PC's adapters as much as from the card.
std::vector<int> ChangedFields(const SInventoryCard& saved, const SInventoryCard& found);

struct SInventoryChange
{
    SInventoryCard saved;
    SInventoryCard found;
    std::vector<int> arrFields; // EInventoryField, ascending
};

struct SInventoryDiff
{
    std::vector<SInventoryCard> arrNew;       // found, not saved; in the found order
    std::vector<SInventoryCard> arrMissing;   // saved, not found; in the saved order
    std::vector<SInventoryChange> arrChanged; // in the found order
    bool IsEmpty() const { return arrNew.empty() && arrMissing.empty() && arrChanged.empty(); }
};

// Matches the cards by MAC.
SInventoryDiff CompareInventory(const std::vector<SInventoryCard>& arrSaved,
                                const std::vector<SInventoryCard>& arrFound);
// "3 new, 1 missing, 2 changed" in the interface language.
QString InventorySummary(const SInventoryDiff& diff);
