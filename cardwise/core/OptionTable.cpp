// SPDX-License-Identifier: GPL-3.0-or-later
// COptionTable: the parameter list of one card and the set request built from it.
#include "OptionTable.h"

#include "CardProtocol.h"
#include "CoreText.h"
#include "ProgramOptions.h"

#include <optional>

using namespace CardProtocol;
using namespace CardwiseCore;

namespace {

// Longest Buffer value shown; a longer one shows as empty.
constexpr int BUFFER_TEXT_MAX = 256;

enum EValueForm
{
    FORM_ADDRESS,
    FORM_DWORD,
    FORM_CHAR,
    FORM_BUFFER,
    FORM_DEVICE_ID
};

struct SParamInfo
{
    std::uint16_t nItem;
    const char* pszName;
    EValueForm nForm;
    const char* pszMemo;
    unsigned int nSetId;
};

const SParamInfo PARAMS[] = {
    {INFO_IP, "IP Addr", FORM_ADDRESS, "", SET_IP},
    {INFO_MASK, "Mask", FORM_ADDRESS, "", SET_MASK},
    {INFO_GATEWAY, "Gateway", FORM_ADDRESS, "", SET_GATEWAY},
    {INFO_HW_VERSION, "Hw Ver", FORM_DWORD, "Read only", 0},
    {INFO_FW_VERSION, "Fw Ver", FORM_DWORD, "Read only", 0},
    {INFO_DHCP, "DHCP Enable", FORM_DWORD, "0:Manual;1:DHCP", SET_DHCP},
    {INFO_GRIDMON_ENABLE, "Gridmon Enable", FORM_CHAR, "0:Disable;1:Enabled", SET_GRIDMON_ENABLE},
    {INFO_GRIDMON_PASSWORD, "Gridmon Password", FORM_BUFFER, "default:KOVAL-WERK",
     SET_GRIDMON_PASSWORD},
    {INFO_HTTP_ENABLE, "HTTP Enable", FORM_CHAR, "0:Disable;1:Enabled", SET_HTTP_ENABLE},
    {INFO_ADMIN_PASSWORD, "admin password", FORM_BUFFER, "Read only", 0},
    {INFO_HTTP_PORT, "HTTP Port", FORM_DWORD, "default:80", SET_HTTP_PORT},
    {INFO_SNMP_ENABLE, "SNMP Enable", FORM_CHAR, "0:Disable;1:Enabled", SET_SNMP_ENABLE},
    {INFO_TELNET_ENABLE, "Telnet Enable", FORM_CHAR, "0:Disable;1:Enabled", SET_TELNET_ENABLE},
    {INFO_TELNET_PORT, "Telnet Port", FORM_DWORD, "default:23", SET_TELNET_PORT},
    {INFO_DEVICE_ID, "DeviceID", FORM_DEVICE_ID, "", 0},
};

const SParamInfo* FindParam(std::uint16_t nItem)
{
    for (const SParamInfo& info : PARAMS) {
        if (info.nItem == nItem)
            return &info;
    }
    return nullptr;
}

// The bytes of a block up to its first zero byte; nothing when the value is no block or
// longer than nMax.
std::optional<QByteArray> BufferBytes(const CVarData& value, int nMax)
{
    char szBuffer[BUFFER_TEXT_MAX + 1];
    const int nLength = value.Get_Buffer(reinterpret_cast<unsigned char*>(szBuffer),
                                         static_cast<unsigned short>(nMax));
    if (nLength < 0)
        return std::nullopt;
    szBuffer[nLength] = '\0';
    return QByteArray(szBuffer);
}

std::optional<QString> BufferText(const CVarData& value, int nMax)
{
    const std::optional<QByteArray> strBytes = BufferBytes(value, nMax);
    if (!strBytes)
        return std::nullopt;
    return CardText(strBytes->constData(), static_cast<int>(strBytes->size()));
}

// The value text of a row, or nothing when the value gets no row.
std::optional<QString> ValueText(const SParamInfo& info, const CVarData& value)
{
    switch (info.nForm) {
    case FORM_ADDRESS:
        return AddressText(static_cast<std::uint32_t>(value.Get_DWORD()));
    case FORM_DWORD:
        // Printed with %d: the 32-bit value as a signed number.
        return QString::number(static_cast<std::int32_t>(value.Get_DWORD()));
    case FORM_CHAR:
        return QString::number(static_cast<signed char>(value.Get_char()));
    case FORM_BUFFER:
        return BufferText(value, BUFFER_TEXT_MAX).value_or(QString());
    case FORM_DEVICE_ID:
        if (value.GetType() != VD_Buffer || value.GetLength() != DEVICE_ID_SIZE)
            return std::nullopt;
        return BufferText(value, DEVICE_ID_SIZE);
    }
    return std::nullopt;
}

} // namespace

COptionTable::COptionTable(QObject* parent) : QAbstractTableModel(parent) {}

std::optional<unsigned int> COptionTable::FindParamByName(const QString& strName)
{
    const QString strKey = strName.trimmed();
    bool bNumber = false;
    const unsigned int nNumber = strKey.toUInt(&bNumber, 10);
    const auto fnMatches = [&](const SParamInfo& info) {
        if (bNumber)
            return info.nSetId != 0 && info.nSetId == nNumber;
        return strKey.compare(QLatin1String(info.pszName), Qt::CaseInsensitive) == 0 ||
               strKey.compare(Tr(info.pszName), Qt::CaseInsensitive) == 0;
    };
    for (const SParamInfo& info : PARAMS) {
        if (fnMatches(info))
            return info.nSetId;
    }
    return std::nullopt;
}

QStringList COptionTable::ParamNames()
{
    QStringList arrNames;
    for (const SParamInfo& info : PARAMS)
        arrNames.append(QString::fromLatin1(info.pszName));
    return arrNames;
}

bool COptionTable::CheckValueText(unsigned int nSetId, const QString& strName,
                                  const QString& strValue, QString& strError)
{
    switch (nSetId) {
    case SET_IP:
    case SET_MASK:
    case SET_GATEWAY:
        if (ParseTypedAddress(strValue))
            return true;
        strError = QStringLiteral("'%1' is not an address (parameter %2): type four numbers from "
                                  "0 to 255 without leading zeros, such as 192.168.1.10")
                       .arg(strValue, strName);
        return false;
    case SET_HTTP_PORT:
    case SET_TELNET_PORT: {
        bool bOk = false;
        const int nPort = strValue.toInt(&bOk, 10);
        if (bOk && nPort >= 1 && nPort <= 65535)
            return true;
        strError = QStringLiteral("'%1' is not a port number from 1 to 65535 (parameter %2)")
                       .arg(strValue, strName);
        return false;
    }
    case SET_GRIDMON_PASSWORD:
        // The text and its terminator travel in one item of at most VALUE_MAX bytes.
        if (strValue.toUtf8().size() < VALUE_MAX)
            return true;
        strError = QStringLiteral("the value of %1 is longer than %2 bytes")
                       .arg(strName)
                       .arg(VALUE_MAX - 1);
        return false;
    default:
        if (strValue == QLatin1String("0") || strValue == QLatin1String("1"))
            return true;
        strError = QStringLiteral("'%1' is neither 0 nor 1 (parameter %2)").arg(strValue, strName);
        return false;
    }
}

void COptionTable::LoadParams()
{
    beginResetModel();
    m_arrRows.clear();
    for (int i = 0; i < m_grpParams.GetSize(); ++i) {
        const CVarData& value = m_grpParams.GetAt(i);
        const SParamInfo* pInfo = FindParam(ItemOf(value.GetID()));
        if (pInfo == nullptr)
            continue;
        std::optional<QString> strValue = ValueText(*pInfo, value);
        if (!strValue)
            continue;
        SParamRow row{pInfo->pszName, *strValue, pInfo->pszMemo, pInfo->nSetId, std::nullopt};
        // A text shown as Latin-1 would not encode back to the card's bytes.
        if (pInfo->nForm == FORM_BUFFER && pInfo->nSetId != 0)
            row.strCardBytes = BufferBytes(value, BUFFER_TEXT_MAX).value_or(QByteArray());
        m_arrRows.push_back(std::move(row));
    }
    endResetModel();
}

unsigned int COptionTable::GetItemData(int nRow) const
{
    return nRow >= 0 && nRow < GetItemCount() ? m_arrRows[nRow].nSetId : 0;
}

QString COptionTable::GetSourceName(int nRow) const
{
    return nRow >= 0 && nRow < GetItemCount() ? QString::fromLatin1(m_arrRows[nRow].pszName)
                                              : QString();
}

QString COptionTable::GetItemText(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= GetItemCount())
        return QString();
    const SParamRow& row = m_arrRows[nRow];
    switch (nColumn) {
    case COL_NO:
        return QString::number(nRow + 1);
    case COL_NAME:
        return Tr(row.pszName);
    case COL_VALUE:
        return row.strValue;
    case COL_MEMO:
        // An empty memo is not looked up.
        return *row.pszMemo != '\0' ? Tr(row.pszMemo) : QString();
    default:
        return QString();
    }
}

void COptionTable::SetValueText(int nRow, const QString& strValue)
{
    if (nRow < 0 || nRow >= GetItemCount())
        return;
    m_arrRows[nRow].strValue = strValue;
    m_arrRows[nRow].strCardBytes.reset();
    emit dataChanged(index(nRow, COL_VALUE), index(nRow, COL_VALUE));
}

bool COptionTable::CheckEditable(int nRow, const MessageBoxSink& fnMessageBox) const
{
    if (GetItemData(nRow) != 0)
        return true;
    if (fnMessageBox)
        fnMessageBox(Tr("Read-only parameter, can not be modified"), Tr("Warnning"),
                     MSG_ICON_INFORMATION);
    return false;
}

COptionTable::ECheck COptionTable::OnOK(const MessageBoxSink& fnMessageBox)
{
    m_grpSend.RemoveAll();
    std::uint32_t dwAddress = 0;
    std::uint32_t dwMask = 0;
    std::uint32_t dwGateway = 0;
    const SParamRow* pNotAnAddress = nullptr;
    bool bTextTooLong = false;

    for (const SParamRow& row : m_arrRows) {
        CVarData value;
        value.SetID(row.nSetId);
        switch (row.nSetId) {
        case SET_IP:
        case SET_MASK:
        case SET_GATEWAY: {
            // The designed checks read the text as the standard parser does; what a person
            // types must be a plain dotted quad besides, or "010" would reach the card as 8.
            const std::uint32_t dwValue = ParseAddress(row.strValue);
            value.Set_DWORD(dwValue);
            if (pNotAnAddress == nullptr && !ParseTypedAddress(row.strValue))
                pNotAnAddress = &row;
            if (row.nSetId == SET_IP)
                dwAddress = dwValue;
            else if (row.nSetId == SET_MASK)
                dwMask = dwValue;
            else
                dwGateway = dwValue;
            break;
        }
        case SET_DHCP:
        case SET_GRIDMON_ENABLE:
        case SET_HTTP_ENABLE:
        case SET_SNMP_ENABLE:
        case SET_TELNET_ENABLE:
            value.Set_char(row.strValue == QLatin1String("1") ? 1 : 0);
            break;
        case SET_GRIDMON_PASSWORD:
            value.Set_string(row.strCardBytes ? row.strCardBytes->constData()
                                              : row.strValue.toUtf8().constData());
            // The item's one-byte Length must hold the text and its terminator.
            bTextTooLong = bTextTooLong || value.GetLength() > CardProtocol::VALUE_MAX;
            break;
        case SET_HTTP_PORT:
        case SET_TELNET_PORT:
            value.Set_DWORD(static_cast<std::uint32_t>(AtoL32(row.strValue)));
            break;
        default:
            continue;
        }
        m_grpSend.Add(value);
    }

    ECheck nCheck = CHECK_OK;
    if (dwAddress == 0 || dwMask == 0)
        nCheck = CHECK_BAD_ADDRESS;
    else if ((dwGateway & dwMask) != (dwAddress & dwMask))
        nCheck = CHECK_BAD_GATEWAY;
    else if (pNotAnAddress != nullptr)
        nCheck = CHECK_NOT_AN_ADDRESS;
    else if (bTextTooLong)
        nCheck = CHECK_TEXT_TOO_LONG; // the request could not be built, so nothing would go

    if (nCheck != CHECK_OK) {
        if (fnMessageBox)
            fnMessageBox(CheckMessage(nCheck, pNotAnAddress), QStringLiteral("ERROR"),
                         MSG_ICON_NONE);
        return nCheck;
    }
    if (m_bAutoRestart)
        m_grpSend.Add(static_cast<char>(1), static_cast<unsigned int>(SET_RESTART));
    return CHECK_OK;
}

QString COptionTable::CheckMessage(ECheck nCheck, const SParamRow* pRow)
{
    switch (nCheck) {
    case CHECK_BAD_ADDRESS:
        return Tr("The IpAddr or Mask is invalid");
    case CHECK_BAD_GATEWAY:
        return Tr("The Gateway is invalid");
    case CHECK_NOT_AN_ADDRESS:
        return Tr("%1: '%2' is not an address; type four numbers from 0 to 255 without "
                  "leading zeros, such as 192.168.1.10")
            .arg(Tr(pRow->pszName), pRow->strValue);
    case CHECK_TEXT_TOO_LONG:
        return Tr("The Gridmon Password is too long");
    case CHECK_OK:
        break;
    }
    return QString();
}

int COptionTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GetItemCount();
}

int COptionTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : COL_COUNT;
}

QVariant COptionTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    return GetItemText(index.row(), index.column());
}

QVariant COptionTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const TITLES[COL_COUNT] = {"No.", "ParamName", "ParamValue", "Memo"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= COL_COUNT)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Tr(TITLES[section]);
}
