// CDeviceListModel: the rows of the device list, one per card, keyed by the MAC text.
#include "DeviceListModel.h"

#include "CoreText.h"

#include <cstring>

using CardwiseCore::AddressText;
using CardwiseCore::Tr;

CDeviceListModel::CDeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CDeviceListModel::AddOrUpdateDevice(std::uint32_t dwSource, const char* pszMac,
                                        const char* pszIp, const char* pszMask,
                                        const char* pszGateway, int nHwVer, int nFwVer)
{
    // Exact match: matching on a prefix would let a reply with an empty MAC text update
    // whichever card happens to be in the first row.
    int nRow = FindDevice(pszMac);
    if (nRow < 0) {
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
    row.strActualIp = AddressText(dwSource).toLatin1();
    row.strIp = pszIp;
    row.strMask = pszMask;
    row.strGateway = pszGateway;
    if (nHwVer > 0)
        row.nHwVer = nHwVer;
    if (nFwVer > 0)
        row.nFwVer = nFwVer;
    emit dataChanged(index(nRow, 0), index(nRow, COL_COUNT - 1));
    return nRow;
}

void CDeviceListModel::DeleteAllItems()
{
    if (m_arrRows.empty())
        return;
    beginResetModel();
    m_arrRows.clear();
    m_mapRows.clear();
    endResetModel();
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
    default:
        return QString();
    }
}

int CDeviceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GetItemCount();
}

int CDeviceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COL_COUNT;
}

QVariant CDeviceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    return GetItemText(index.row(), index.column());
}

QVariant CDeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const TITLES[COL_COUNT] = {"",     "IP Addr(Act)", "IP Addr(Set)", "MAC",
                                                  "Mask", "Gateway",      "HwVer",        "FwVer"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= COL_COUNT)
        return QAbstractTableModel::headerData(section, orientation, role);
    // The key column's empty title is not looked up.
    return section == COL_KEY ? QString() : Tr(TITLES[section]);
}
