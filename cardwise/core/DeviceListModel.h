// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceListModel: the rows of the device list, one per card, keyed by the MAC text; after a
// comparison with a saved list, the saved cards that did not answer follow as Missing rows.
#pragma once

#include "AdapterList.h"
#include "DeviceOwner.h"
#include "Inventory.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>

#include <cstdint>
#include <vector>

class CDeviceListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Column 0 is the row key, which the window keeps hidden.
    enum EColumn
    {
        COL_KEY,
        COL_ACTUAL_IP,
        COL_IP,
        COL_MAC,
        COL_MASK,
        COL_GATEWAY,
        COL_HW_VER,
        COL_FW_VER,
        COL_ADAPTER, // the interface that received the card's latest reply
        COL_NOTE,    // what is wrong with the card (DeviceNotes.h)
        COL_COUNT
    };
    // Every cell answers it with the row's notes (EDeviceNote bits), so a view can mark rows.
    static constexpr int ROLE_NOTES = Qt::UserRole + 1;

    explicit CDeviceListModel(QObject* parent = nullptr);

    // Inserts the card's row or updates it. A new row goes before the first row whose
    // configured address text compares greater byte by byte; an existing row keeps its place.
    // Versions of 0 or less leave their columns as they were. Returns the row.
    int AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac, const char* pszIp,
                          const char* pszMask, const char* pszGateway, int nHwVer, int nFwVer);
    // Empties the list and ends a comparison.
    void DeleteAllItems();
    // Where the card's latest reply was received and whether it answered a broadcast search;
    // a DHCP item of -1 leaves the one known. A card without a row is ignored.
    void AddDeviceDetails(const char* pszMac, const CReplyDetails& details, bool bBroadcastSearch);
    // The PC's adapter addresses, against which the notes are judged.
    void SetAdapters(std::vector<CAdapterAddress> arrAdapters);
    // The row's notes (EDeviceNote bits); 0 outside the table.
    unsigned int GetNotes(int nRow) const;

    // Compares the list with a saved one until DeleteAllItems: the Note column says New or
    // Changed (naming the columns), and the saved cards that are not listed follow the listed
    // ones as disabled Missing rows, each gone when its card answers.
    void SetSavedInventory(std::vector<SInventoryCard> arrSaved);
    // The saved list of the comparison.
    const std::vector<SInventoryCard>& GetSavedInventory() const { return m_arrSaved; }

    // The row whose key is exactly pszMac, or -1.
    int FindDevice(const char* pszMac) const;
    // The listed cards; Missing rows come after them and are not counted.
    int GetItemCount() const { return static_cast<int>(m_arrRows.size()); }
    // The text a cell of a listed card shows; empty outside them.
    QString GetItemText(int nRow, int nColumn) const;

    // A column's title in the interface language.
    static QString ColumnTitle(int nColumn);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Missing rows can be neither selected nor set up.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct SDeviceRow
    {
        QByteArray strMac;
        QByteArray strActualIp;
        QByteArray strIp;
        QByteArray strMask;
        QByteArray strGateway;
        int nHwVer = 0; // 0: column still empty
        int nFwVer = 0;
        QByteArray strAdapter;
        std::uint32_t dwLocalAddress = 0;
        unsigned int nInterface = 0;
        bool bBroadcastSearch = false;
        int nDhcp = -1;
    };

    // Counts one more (or, with nDelta -1, one less) card at the address; true when whether
    // that address is shared changed.
    bool CountAddress(const QByteArray& strIp, int nDelta);

    // New or Changed (the columns) for a listed card; empty without a comparison.
    QString CompareNote(int nRow) const;
    // A cell of Missing row nMissing.
    QString MissingText(int nMissing, int nColumn) const;
    // The Missing row of the card goes: it answered.
    void RemoveMissing(const QByteArray& strMac);

    std::vector<SDeviceRow> m_arrRows;
    // The comparison: the saved cards, each one's index by MAC, and the indexes of those not
    // listed, in saved order, shown after the listed rows.
    bool m_bComparing = false;
    std::vector<SInventoryCard> m_arrSaved;
    QHash<QString, int> m_mapSaved;
    std::vector<int> m_arrMissing;
    std::vector<CAdapterAddress> m_arrAdapters;
    // Cards listed per configured address text, for the address conflicts.
    QHash<QByteArray, int> m_mapAddressCount;
    // Row of each MAC text: a search of a large fleet brings several replies per card.
    QHash<QByteArray, int> m_mapRows;
};
