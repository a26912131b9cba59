// SPDX-License-Identifier: GPL-3.0-or-later
// CDeviceListModel: the rows of the device list, one per card, keyed by the MAC text; after a
// comparison with a saved list, the saved cards that did not answer follow as Missing rows.
#include "DeviceListModel.h"

#include "CoreText.h"
#include "DeviceNotes.h"

#include <algorithm>
#include <cstring>

using CardwiseCore::AddressText;
using CardwiseCore::ParseAddress;
using CardwiseCore::Tr;

CDeviceListModel::CDeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CDeviceListModel::AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac,
                                        const char* pszIp, const char* pszMask,
                                        const char* pszGateway, int nHwVer, int nFwVer)
{
    // Exact match: matching on a prefix would let a reply with an empty MAC text update
    // whichever card happens to be in the first row.
    int nRow = FindDevice(pszMac);
    const bool bNewRow = nRow < 0;
    if (bNewRow) {
        RemoveMissing(QByteArray(pszMac));
        nRow = 0;
        const int nCount = GetItemCount();
        while (nRow < nCount && std::strcmp(m_arrRows[nRow].strIp.constData(), pszIp) <= 0)
            ++nRow;
        beginInsertRows(QModelIndex(), nRow, nRow);
        SDeviceRow row;
        row.strMac = pszMac;
        m_arrRows.insert(m_arrRows.begin() + nRow, row);
        for (int& nIndexed : m_mapRows) {
            if (nIndexed >= nRow)
                ++nIndexed;
        }
        m_mapRows.insert(row.strMac, nRow);
        endInsertRows();
    }

    SDeviceRow& row = m_arrRows[nRow];
    const QByteArray strIp(pszIp);
    bool bSharingChanged = false;
    if (bNewRow || row.strIp != strIp) {
        if (!bNewRow)
            bSharingChanged = CountAddress(row.strIp, -1);
        bSharingChanged = CountAddress(strIp, 1) || bSharingChanged;
    }
    row.strActualIp = AddressText(dwSource).toLatin1();
    row.strIp = strIp;
    row.strMask = pszMask;
    row.strGateway = pszGateway;
    if (nHwVer > 0)
        row.nHwVer = nHwVer;
    if (nFwVer > 0)
        row.nFwVer = nFwVer;
    // Another card's conflict note comes or goes with this one's address.
    if (bSharingChanged)
        emit dataChanged(index(0, 0), index(GetItemCount() - 1, COL_COUNT - 1));
    else
        emit dataChanged(index(nRow, 0), index(nRow, COL_COUNT - 1));
    return nRow;
}

void CDeviceListModel::DeleteAllItems()
{
    if (m_arrRows.empty() && !m_bComparing)
        return;
    beginResetModel();
    m_arrRows.clear();
    m_mapRows.clear();
    m_mapAddressCount.clear();
    m_bComparing = false;
    m_arrSaved.clear();
    m_mapSaved.clear();
    m_arrMissing.clear();
    endResetModel();
}

void CDeviceListModel::SetSavedInventory(std::vector<SInventoryCard> arrSaved)
{
    const int nListed = GetItemCount();
    if (!m_arrMissing.empty()) {
        beginRemoveRows(QModelIndex(), nListed,
                        nListed + static_cast<int>(m_arrMissing.size()) - 1);
        m_arrMissing.clear();
        endRemoveRows();
    }
    m_bComparing = true;
    m_arrSaved = std::move(arrSaved);
    m_mapSaved.clear();
    std::vector<int> arrMissing;
    for (int i = 0; i < static_cast<int>(m_arrSaved.size()); ++i) {
        const QString strMac = m_arrSaved[i].arrFields[INV_MAC].value_or(QString());
        m_mapSaved.insert(strMac, i);
        if (FindDevice(strMac.toLatin1().constData()) < 0)
            arrMissing.push_back(i);
    }
    if (!arrMissing.empty()) {
        beginInsertRows(QModelIndex(), nListed, nListed + static_cast<int>(arrMissing.size()) - 1);
        m_arrMissing = std::move(arrMissing);
        endInsertRows();
    }
    if (nListed > 0)
        emit dataChanged(index(0, COL_NOTE), index(nListed - 1, COL_NOTE));
}

void CDeviceListModel::RemoveMissing(const QByteArray& strMac)
{
    const int nSaved = m_mapSaved.value(QString::fromLatin1(strMac), -1);
    const auto it = std::find(m_arrMissing.begin(), m_arrMissing.end(), nSaved);
    if (nSaved < 0 || it == m_arrMissing.end())
        return;
    const int nRow = GetItemCount() + static_cast<int>(it - m_arrMissing.begin());
    beginRemoveRows(QModelIndex(), nRow, nRow);
    m_arrMissing.erase(it);
    endRemoveRows();
}

QString CDeviceListModel::CompareNote(int nRow) const
{
    if (!m_bComparing)
        return QString();
    const int nSaved = m_mapSaved.value(GetItemText(nRow, COL_MAC), -1);
    if (nSaved < 0)
        return Tr("New");
    const std::vector<int> arrFields =
        ChangedFields(m_arrSaved[nSaved], InventoryCardFromRow(*this, nRow));
    if (arrFields.empty())
        return QString();
    QStringList arrTitles;
    for (const int nField : arrFields)
        arrTitles.append(ColumnTitle(InventoryColumn(nField)));
    return Tr("Changed (%1)").arg(arrTitles.join(QStringLiteral(", ")));
}

QString CDeviceListModel::MissingText(int nMissing, int nColumn) const
{
    if (nMissing < 0 || nMissing >= static_cast<int>(m_arrMissing.size()))
        return QString();
    if (nColumn == COL_NOTE)
        return Tr("Missing");
    const SInventoryCard& card = m_arrSaved[m_arrMissing[nMissing]];
    for (int nField = 0; nField < INV_FIELD_COUNT; ++nField) {
        if (InventoryColumn(nField) == nColumn || (nField == INV_MAC && nColumn == COL_KEY))
            return card.arrFields[nField].value_or(QString());
    }
    return QString();
}

bool CDeviceListModel::CountAddress(const QByteArray& strIp, int nDelta)
{
    int& nCount = m_mapAddressCount[strIp];
    const bool bWasShared = nCount > 1;
    nCount += nDelta;
    return bWasShared != (nCount > 1);
}

void CDeviceListModel::AddDeviceDetails(const char* pszMac, const CReplyDetails& details,
                                        bool bBroadcastSearch)
{
    const int nRow = FindDevice(pszMac);
    if (nRow < 0)
        return;
    SDeviceRow& row = m_arrRows[nRow];
    row.strAdapter = QByteArray::fromStdString(details.strInterface);
    row.dwLocalAddress = details.dwLocalAddress;
    row.nInterface = details.nInterface;
    row.bBroadcastSearch = bBroadcastSearch;
    if (details.nDhcp >= 0)
        row.nDhcp = details.nDhcp;
    emit dataChanged(index(nRow, 0), index(nRow, COL_COUNT - 1));
}

void CDeviceListModel::SetAdapters(std::vector<CAdapterAddress> arrAdapters)
{
    m_arrAdapters = std::move(arrAdapters);
    if (!m_arrRows.empty())
        emit dataChanged(index(0, 0), index(GetItemCount() - 1, COL_COUNT - 1));
}

unsigned int CDeviceListModel::GetNotes(int nRow) const
{
    if (nRow < 0 || nRow >= GetItemCount())
        return NOTE_NONE;
    const SDeviceRow& row = m_arrRows[nRow];
    SNoteFacts facts;
    facts.dwIp = ParseAddress(row.strIp.constData());
    facts.bBroadcastSearch = row.bBroadcastSearch;
    facts.nInterface = row.nInterface;
    facts.nDhcp = row.nDhcp;
    facts.nSameAddress = m_mapAddressCount.value(row.strIp, 1);
    return DeviceNotes(facts, m_arrAdapters);
}

int CDeviceListModel::FindDevice(const char* pszMac) const
{
    return m_mapRows.value(QByteArray(pszMac), -1);
}

QString CDeviceListModel::GetItemText(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= GetItemCount())
        return QString();
    const SDeviceRow& row = m_arrRows[nRow];
    switch (nColumn) {
    case COL_KEY:
    case COL_MAC:
        return QString::fromLatin1(row.strMac);
    case COL_ACTUAL_IP:
        return QString::fromLatin1(row.strActualIp);
    case COL_IP:
        return QString::fromLatin1(row.strIp);
    case COL_MASK:
        return QString::fromLatin1(row.strMask);
    case COL_GATEWAY:
        return QString::fromLatin1(row.strGateway);
    case COL_HW_VER:
        return row.nHwVer > 0 ? QString::number(row.nHwVer) : QString();
    case COL_FW_VER:
        return row.nFwVer > 0 ? QString::number(row.nFwVer) : QString();
    case COL_ADAPTER:
        return QString::fromUtf8(row.strAdapter);
    case COL_NOTE: {
        QStringList arrNotes{CompareNote(nRow), NoteTitles(GetNotes(nRow))};
        arrNotes.removeAll(QString());
        return arrNotes.join(QStringLiteral(", "));
    }
    default:
        return QString();
    }
}

int CDeviceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GetItemCount() + static_cast<int>(m_arrMissing.size());
}

int CDeviceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COL_COUNT;
}

QVariant CDeviceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (index.row() >= GetItemCount())
        return role == Qt::DisplayRole
                   ? QVariant(MissingText(index.row() - GetItemCount(), index.column()))
                   : QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return GetItemText(index.row(), index.column());
    case ROLE_NOTES:
        return GetNotes(index.row());
    case Qt::ToolTipRole:
        if (index.column() == COL_NOTE)
            return NoteAdvice(GetNotes(index.row()));
        if (index.column() == COL_ADAPTER && index.row() < GetItemCount() &&
            m_arrRows[index.row()].dwLocalAddress != 0)
            return AddressText(m_arrRows[index.row()].dwLocalAddress);
        return QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags CDeviceListModel::flags(const QModelIndex& index) const
{
    if (index.isValid() && index.row() >= GetItemCount())
        return Qt::NoItemFlags;
    return QAbstractTableModel::flags(index);
}

QString CDeviceListModel::ColumnTitle(int nColumn)
{
    static const char* const TITLES[COL_COUNT] = {
        "",        "IP Addr(Act)", "IP Addr(Set)", "MAC",     "Mask",
        "Gateway", "HwVer",        "FwVer",        "Adapter", "Note"};
    // The key column's empty title is not looked up.
    if (nColumn <= COL_KEY || nColumn >= COL_COUNT)
        return QString();
    return Tr(TITLES[nColumn]);
}

QVariant CDeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= COL_COUNT)
        return QAbstractTableModel::headerData(section, orientation, role);
    return ColumnTitle(section);
}
