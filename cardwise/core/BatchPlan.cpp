// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchPlan: bounded CSV and JSON readers, the whole-plan check, the read-back comparison.
#include "BatchPlan.h"

#include "CardProtocol.h"
#include "CoreText.h"
#include "JsonLines.h"
#include "OptionTable.h"
#include "ProgramOptions.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

using namespace CardwiseCore;

namespace {

enum EColumnKind
{
    COLUMN_MAC,
    COLUMN_PASSWORD,
    COLUMN_PARAM,
    COLUMN_BAD
};

struct SColumn
{
    EColumnKind nKind = COLUMN_BAD;
    unsigned int nSetId = 0;
    QString strName; // as the file names it, for messages
};

const QString ALL_CARDS = QStringLiteral("*");

SColumn ResolveColumn(const QString& strKey, QString& strError)
{
    SColumn column{COLUMN_BAD, 0, strKey.trimmed()};
    if (column.strName.compare(QLatin1String("MAC"), Qt::CaseInsensitive) == 0) {
        column.nKind = COLUMN_MAC;
        return column;
    }
    if (column.strName.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0) {
        column.nKind = COLUMN_PASSWORD;
        return column;
    }
    const std::optional<unsigned int> nSetId = COptionTable::FindParamByName(column.strName);
    if (!nSetId)
        strError = QStringLiteral("unknown parameter '%1'; the parameters are: %2")
                       .arg(column.strName, COptionTable::ParamNames().join(QStringLiteral(", ")));
    else if (*nSetId == 0)
        strError = QStringLiteral("parameter '%1' is read-only").arg(column.strName);
    else {
        column.nKind = COLUMN_PARAM;
        column.nSetId = *nSetId;
    }
    return column;
}

// The parameter list's name of a set identifier.
QString ParamName(unsigned int nSetId)
{
    const QStringList arrNames = COptionTable::ParamNames();
    for (const QString& strName : arrNames) {
        if (COptionTable::FindParamByName(strName) == nSetId)
            return strName;
    }
    return QString::number(nSetId);
}

// The value as the card reports it once it took it, so that the read-back compares texts.
QString CanonicalValue(unsigned int nSetId, const QString& strValue)
{
    switch (nSetId) {
    case CardProtocol::SET_IP:
    case CardProtocol::SET_MASK:
    case CardProtocol::SET_GATEWAY:
        return AddressText(ControlToNetwork(ParseTypedAddress(strValue).value_or(0)));
    case CardProtocol::SET_HTTP_PORT:
    case CardProtocol::SET_TELNET_PORT:
        return QString::number(strValue.toInt());
    default:
        return strValue;
    }
}

// Adds one cell of a row; an empty cell keeps the card's value.
void AddCell(SPlanRow& row, const SColumn& column, const QString& strCell, int nLine,
             SPlanProblems& problems)
{
    // A text parameter keeps its blanks; the others are read as a person means them.
    const QString strValue =
        column.nSetId == CardProtocol::SET_GRIDMON_PASSWORD ? strCell : strCell.trimmed();
    if (column.nKind == COLUMN_MAC) {
        unsigned char arrMac[CardProtocol::MAC_SIZE];
        char szMac[CardProtocol::MAC_TEXT_SIZE];
        if (strValue.isEmpty())
            return; // no MAC at all: CheckRows says so
        if (strValue == ALL_CARDS)
            row.strMac = ALL_CARDS;
        else if (ParseTypedMac(strValue, arrMac))
            row.strMac = QString::fromLatin1(CardProtocol::FormatMac(arrMac, szMac));
        else
            problems.Add(nLine,
                         QStringLiteral("bad MAC address '%1': expected six hexadecimal octets "
                                        "such as 00-1A-2B-3C-4D-5E, or * for every card found")
                             .arg(strValue));
        return;
    }
    if (strCell.isEmpty())
        return;
    if (column.nKind == COLUMN_PASSWORD) {
        row.strPassword = strCell;
        return;
    }
    QString strError;
    if (!COptionTable::CheckValueText(column.nSetId, column.strName, strValue, strError)) {
        problems.Add(nLine, strError);
        return;
    }
    row.arrValues.push_back({column.nSetId, CanonicalValue(column.nSetId, strValue), nLine});
}

// Checks the columns of a header or of a JSON card: known, writable, each once, a MAC among
// them. Problems at nLine.
std::vector<SColumn> ResolveColumns(const QStringList& arrKeys, const std::vector<int>& arrLines,
                                    SPlanProblems& problems, bool& bOk)
{
    std::vector<SColumn> arrColumns;
    QHash<unsigned int, QString> mapSeen;
    bool bMac = false;
    bOk = true;
    for (int i = 0; i < arrKeys.size(); ++i) {
        QString strError;
        SColumn column = ResolveColumn(arrKeys[i], strError);
        const unsigned int nKey =
            column.nKind == COLUMN_PARAM ? column.nSetId : 0x10000U + column.nKind;
        if (column.nKind == COLUMN_BAD) {
            problems.Add(arrLines[i], strError);
            bOk = false;
        } else if (mapSeen.contains(nKey)) {
            problems.Add(arrLines[i], QStringLiteral("column '%1' names the same parameter as '%2'")
                                          .arg(column.strName, mapSeen.value(nKey)));
            bOk = false;
        }
        mapSeen.insert(nKey, column.strName);
        bMac = bMac || column.nKind == COLUMN_MAC;
        arrColumns.push_back(column);
    }
    if (!bMac) {
        problems.Add(arrLines.empty() ? 1 : arrLines.front(), QStringLiteral("no MAC column"));
        bOk = false;
    }
    return arrColumns;
}

struct SRecord
{
    int nLine = 0;
    QStringList arrCells;
};

// Splits CSV text into records (quoted cells may hold separators, quotes doubled, line
// breaks); refuses control characters and what passes the bounds.
bool SplitCsv(const QString& strText, std::vector<SRecord>& arrRecords, SPlanProblems& problems)
{
    // Spreadsheets of some locales separate by semicolons.
    const qsizetype nFirstEnd = strText.indexOf(QLatin1Char('\n'));
    const QString strHeader = strText.left(nFirstEnd < 0 ? strText.size() : nFirstEnd);
    const QChar chSeparator =
        !strHeader.contains(QLatin1Char(',')) && strHeader.contains(QLatin1Char(';'))
            ? QLatin1Char(';')
            : QLatin1Char(',');
    int nLine = 1;
    SRecord record{1, {}};
    QString strCell;
    bool bQuoted = false;    // inside quotes
    bool bWasQuoted = false; // the cell was quoted and its closing quote read
    const auto fnFail = [&problems](int nAt, const QString& strProblem) {
        problems.Add(nAt, strProblem);
        return false;
    };
    const auto fnEndCell = [&]() {
        if (record.arrCells.size() >= CBatchPlan::COLUMNS_MAX)
            return fnFail(record.nLine,
                          QStringLiteral("more than %1 columns").arg(CBatchPlan::COLUMNS_MAX));
        if (strCell.size() > CBatchPlan::CELL_MAX)
            return fnFail(
                record.nLine,
                QStringLiteral("a cell longer than %1 characters").arg(CBatchPlan::CELL_MAX));
        record.arrCells.append(strCell);
        strCell.clear();
        bWasQuoted = false;
        return true;
    };
    const auto fnEndRecord = [&]() {
        if (!fnEndCell())
            return false;
        const bool bBlank = record.arrCells.size() == 1 && record.arrCells.first().isEmpty();
        if (!bBlank) {
            if (static_cast<int>(arrRecords.size()) > CBatchPlan::ROWS_MAX)
                return fnFail(record.nLine,
                              QStringLiteral("more than %1 rows").arg(CBatchPlan::ROWS_MAX));
            arrRecords.push_back(record);
        }
        record = SRecord{nLine, {}};
        return true;
    };
    for (qsizetype i = 0; i < strText.size(); ++i) {
        const QChar ch = strText[i];
        if (ch == QLatin1Char('\n'))
            ++nLine;
        if (ch.unicode() < 0x20 && ch != QLatin1Char('\t') && ch != QLatin1Char('\n') &&
            ch != QLatin1Char('\r'))
            return fnFail(nLine, QStringLiteral("control character 0x%1 in the text")
                                     .arg(ch.unicode(), 2, 16, QLatin1Char('0')));
        if (bQuoted) {
            if (ch != QLatin1Char('"'))
                strCell += ch;
            else if (i + 1 < strText.size() && strText[i + 1] == QLatin1Char('"'))
                strCell += strText[++i];
            else {
                bQuoted = false;
                bWasQuoted = true;
            }
            continue;
        }
        if (ch == chSeparator) {
            if (!fnEndCell())
                return false;
        } else if (ch == QLatin1Char('\n')) {
            if (!fnEndRecord())
                return false;
        } else if (ch == QLatin1Char('\r')) {
            continue;
        } else if (bWasQuoted) {
            return fnFail(nLine, QStringLiteral("text after the closing quote of a cell"));
        } else if (ch == QLatin1Char('"') && strCell.trimmed().isEmpty()) {
            strCell.clear();
            bQuoted = true;
        } else {
            strCell += ch;
        }
        if (strCell.size() > CBatchPlan::CELL_MAX)
            return fnFail(
                record.nLine,
                QStringLiteral("a cell longer than %1 characters").arg(CBatchPlan::CELL_MAX));
    }
    if (bQuoted)
        return fnFail(record.nLine, QStringLiteral("a quoted cell is not closed"));
    return fnEndRecord();
}

} // namespace

void SPlanProblems::Add(int nLine, const QString& strText)
{
    if (static_cast<int>(arrListed.size()) < PROBLEMS_MAX)
        arrListed.push_back({nLine, strText});
    else
        ++nUnlisted;
}

bool CBatchPlan::Load(const QString& strPath, SPlanProblems& problems)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        problems.Add(0, QStringLiteral("cannot read: %1").arg(file.errorString()));
        return false;
    }
    // A device or a pipe reports no size, or a false one: the read itself is bounded.
    const QByteArray strText = file.read(FILE_MAX + 1);
    if (strText.size() > FILE_MAX) {
        problems.Add(0, QStringLiteral("larger than %1 bytes").arg(FILE_MAX));
        return false;
    }
    return Parse(strText, problems);
}

bool CBatchPlan::Parse(const QByteArray& strText, SPlanProblems& problems)
{
    m_arrRows.clear();
    m_arrCards.clear();
    const qsizetype nZero = strText.indexOf('\0');
    if (nZero >= 0) {
        problems.Add(static_cast<int>(strText.left(nZero).count('\n')) + 1,
                     QStringLiteral("a zero byte: not a text file"));
        return false;
    }
    const QByteArray strBody = strText.startsWith("\xEF\xBB\xBF") ? strText.mid(3) : strText;
    const bool bJson = strBody.trimmed().startsWith('{');
    const int nBefore = problems.Count();
    if (bJson ? !ParseJson(strBody, problems) : !ParseCsv(strBody, problems))
        return false;
    CheckRows(problems);
    return problems.Count() == nBefore;
}

bool CBatchPlan::SetForm(const QStringList& arrMacs,
                         const std::vector<std::pair<unsigned int, QString>>& arrValues,
                         SPlanProblems& problems)
{
    m_arrRows.clear();
    m_arrCards.clear();
    const int nBefore = problems.Count();
    if (arrMacs.isEmpty())
        problems.Add(0, QStringLiteral("no card chosen"));
    if (arrValues.empty())
        problems.Add(0, QStringLiteral("no parameter chosen to change"));
    // The values are checked once; every card gets the same.
    SPlanRow values;
    for (const auto& [nSetId, strValue] : arrValues) {
        const SColumn column{COLUMN_PARAM, nSetId, ParamName(nSetId)};
        if (strValue.isEmpty())
            problems.Add(0, QStringLiteral("no value for %1").arg(column.strName));
        else
            AddCell(values, column, strValue, 0, problems);
    }
    for (const QString& strMac : arrMacs) {
        SPlanRow row = values;
        row.strMac = strMac;
        m_arrRows.push_back(std::move(row));
    }
    CheckRows(problems);
    return problems.Count() == nBefore;
}

bool CBatchPlan::ParseCsv(const QByteArray& strText, SPlanProblems& problems)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString strDecoded = decoder(strText);
    if (decoder.hasError()) {
        problems.Add(0, QStringLiteral("not UTF-8 text"));
        return false;
    }
    std::vector<SRecord> arrRecords;
    if (!SplitCsv(strDecoded, arrRecords, problems))
        return false;
    if (arrRecords.empty()) {
        problems.Add(0, QStringLiteral("no header line: the plan is empty"));
        return false;
    }
    const SRecord& header = arrRecords.front();
    bool bOk = true;
    const std::vector<SColumn> arrColumns = ResolveColumns(
        header.arrCells, std::vector<int>(header.arrCells.size(), header.nLine), problems, bOk);
    if (!bOk)
        return false;
    const int nBefore = problems.Count();
    for (std::size_t r = 1; r < arrRecords.size(); ++r) {
        const SRecord& record = arrRecords[r];
        SPlanRow row;
        row.nLine = record.nLine;
        for (int i = 0; i < record.arrCells.size(); ++i) {
            if (i >= static_cast<int>(arrColumns.size())) {
                if (!record.arrCells[i].trimmed().isEmpty())
                    problems.Add(record.nLine, QStringLiteral("%1 cells, the header has %2")
                                                   .arg(record.arrCells.size())
                                                   .arg(arrColumns.size()));
                break;
            }
            AddCell(row, arrColumns[i], record.arrCells[i], record.nLine, problems);
        }
        m_arrRows.push_back(std::move(row));
    }
    return problems.Count() == nBefore;
}

bool CBatchPlan::ParseJson(const QByteArray& strText, SPlanProblems& problems)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(strText, &error);
    if (error.error != QJsonParseError::NoError) {
        problems.Add(static_cast<int>(strText.left(error.offset).count('\n')) + 1,
                     QStringLiteral("not valid JSON: %1").arg(error.errorString()));
        return false;
    }
    const QString strCards = QStringLiteral("cards");
    const CJsonLines lines(strText, strCards);
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != strCards)
            problems.Add(lines.RootKey(it.key()),
                         QStringLiteral("unknown key \"%1\"").arg(it.key()));
    }
    const QJsonArray arrCards = root.value(strCards).toArray();
    if (!root.value(strCards).isArray() || arrCards.isEmpty() || arrCards.size() > ROWS_MAX) {
        problems.Add(lines.RootKey(strCards),
                     QStringLiteral("\"cards\" must be an array of 1 to %1 objects").arg(ROWS_MAX));
        return false;
    }
    const int nBefore = problems.Count();
    for (int nCard = 0; nCard < arrCards.size(); ++nCard) {
        SPlanRow row;
        row.nLine = std::max(lines.Element(nCard), 1);
        const QJsonObject card = arrCards.at(nCard).toObject();
        if (!arrCards.at(nCard).isObject() || card.size() > COLUMNS_MAX) {
            problems.Add(row.nLine, QStringLiteral("card %1 must be an object of at most %2 keys")
                                        .arg(nCard + 1)
                                        .arg(COLUMNS_MAX));
            continue;
        }
        const QStringList arrKeys = card.keys();
        std::vector<int> arrLines;
        for (const QString& strKey : arrKeys)
            arrLines.push_back(std::max(lines.ElementKey(nCard, strKey), 1));
        bool bOk = true;
        const std::vector<SColumn> arrColumns = ResolveColumns(arrKeys, arrLines, problems, bOk);
        if (!bOk)
            continue;
        for (int i = 0; i < arrKeys.size(); ++i) {
            const QJsonValue value = card.value(arrKeys[i]);
            const double dNumber = value.toDouble();
            QString strCell;
            if (value.isString() && value.toString().size() <= CELL_MAX)
                strCell = value.toString();
            else if (value.isDouble() && std::trunc(dNumber) == dNumber &&
                     std::fabs(dNumber) < 2147483648.0)
                strCell = QString::number(static_cast<qint64>(dNumber));
            else if (!value.isNull()) {
                problems.Add(arrLines[i],
                             QStringLiteral("\"%1\" must be a text of at most %2 characters, "
                                            "a whole number or null")
                                 .arg(arrKeys[i])
                                 .arg(CELL_MAX));
                continue;
            }
            AddCell(row, arrColumns[i], strCell, arrLines[i], problems);
        }
        m_arrRows.push_back(std::move(row));
    }
    return problems.Count() == nBefore;
}

void CBatchPlan::CheckRows(SPlanProblems& problems) const
{
    QHash<QString, int> mapFirst;
    for (const SPlanRow& row : m_arrRows) {
        if (row.strMac.isEmpty()) {
            problems.Add(row.nLine, QStringLiteral("no MAC address"));
            continue;
        }
        const auto it = mapFirst.constFind(row.strMac);
        if (it != mapFirst.constEnd())
            problems.Add(row.nLine, QStringLiteral("%1 is listed twice (first on line %2)")
                                        .arg(row.strMac)
                                        .arg(it.value()));
        else
            mapFirst.insert(row.strMac, row.nLine);
    }
}

bool CBatchPlan::NeedsPassword() const
{
    return std::any_of(m_arrRows.begin(), m_arrRows.end(),
                       [](const SPlanRow& row) { return !row.strPassword.has_value(); });
}

bool CBatchPlan::Prepare(const std::vector<SFoundCard>& arrFound,
                         const QStringList& arrOwnAddresses, bool bAutoRestart,
                         SPlanProblems& problems)
{
    m_arrCards.clear();
    QHash<QString, int> mapFound;
    for (int i = 0; i < static_cast<int>(arrFound.size()); ++i)
        mapFound.insert(arrFound[i].strMac, i);
    const SPlanRow* pAll = nullptr;
    QHash<QString, const SPlanRow*> mapNamed;
    for (const SPlanRow& row : m_arrRows) {
        if (row.strMac == ALL_CARDS)
            pAll = &row;
        else
            mapNamed.insert(row.strMac, &row);
    }

    // A named row's cells go over the "*" row's, value by value.
    const auto fnAddCard = [&](const QString& strMac, const SPlanRow& row) {
        SPlannedCard card;
        card.strMac = strMac;
        card.nLine = row.nLine;
        const SPlanRow* pNamed = mapNamed.value(strMac);
        std::vector<SPlanValue> arrValues;
        for (const SPlanRow* pRow : {pAll, pNamed}) {
            if (pRow == nullptr)
                continue;
            if (pRow->strPassword)
                card.strPassword = pRow->strPassword;
            for (const SPlanValue& value : pRow->arrValues) {
                auto it =
                    std::find_if(arrValues.begin(), arrValues.end(),
                                 [&](const SPlanValue& v) { return v.nSetId == value.nSetId; });
                if (it != arrValues.end())
                    *it = value;
                else
                    arrValues.push_back(value);
            }
        }
        card.nFoundIndex = mapFound.value(strMac, -1);
        card.bFound = card.nFoundIndex >= 0;
        for (const SPlanValue& value : arrValues)
            card.arrChanges.push_back(
                {value.nSetId, ParamName(value.nSetId), QString(), value.strValue, {}});
        m_arrCards.push_back(std::move(card));
        return arrValues;
    };
    std::vector<std::vector<SPlanValue>> arrCardValues;
    for (const SPlanRow& row : m_arrRows) {
        if (row.strMac != ALL_CARDS) {
            arrCardValues.push_back(fnAddCard(row.strMac, row));
            continue;
        }
        for (const SFoundCard& found : arrFound) {
            if (!mapNamed.contains(found.strMac))
                arrCardValues.push_back(fnAddCard(found.strMac, row));
        }
    }

    // The address every found card will have, the plan's where it gives one.
    std::vector<QString> arrFinalIp;
    arrFinalIp.reserve(arrFound.size());
    for (const SFoundCard& found : arrFound)
        arrFinalIp.push_back(found.strIp);
    // Whether the plan gives the address, and on which line (0: a form's plan, no line).
    std::vector<bool> arrIpPlanned(arrFound.size(), false);
    std::vector<int> arrIpLine(arrFound.size(), 0);

    const int nBefore = problems.Count();
    for (std::size_t c = 0; c < m_arrCards.size(); ++c) {
        SPlannedCard& card = m_arrCards[c];
        if (!card.bFound)
            continue;
        const SFoundCard& found = arrFound[static_cast<std::size_t>(card.nFoundIndex)];
        if (found.pParams == nullptr) {
            problems.Add(card.nLine,
                         QStringLiteral("%1 answered without its parameters").arg(card.strMac));
            continue;
        }
        COptionTable option;
        option.m_grpParams = *found.pParams;
        option.LoadParams();
        option.m_bAutoRestart = bAutoRestart ? 1 : 0;
        for (std::size_t v = 0; v < card.arrChanges.size(); ++v) {
            SPlanChange& change = card.arrChanges[v];
            const int nLine = arrCardValues[c][v].nLine;
            int nRow = 0;
            while (nRow < option.GetItemCount() && option.GetItemData(nRow) != change.nSetId)
                ++nRow;
            if (nRow == option.GetItemCount()) {
                problems.Add(nLine, QStringLiteral("%1 does not report parameter %2")
                                        .arg(card.strMac, change.strName));
                continue;
            }
            change.strCurrent = option.GetItemText(nRow, COptionTable::COL_VALUE);
            // An unchanged text goes back as the card's own bytes, as in the dialog.
            if (change.strPlanned != change.strCurrent)
                option.SetValueText(nRow, change.strPlanned);
            if (change.nSetId == CardProtocol::SET_IP) {
                arrFinalIp[static_cast<std::size_t>(card.nFoundIndex)] = change.strPlanned;
                arrIpLine[static_cast<std::size_t>(card.nFoundIndex)] = nLine;
                arrIpPlanned[static_cast<std::size_t>(card.nFoundIndex)] = true;
            }
        }
        QString strMessage;
        const COptionTable::ECheck nCheck =
            option.OnOK([&strMessage](const QString& strText, const QString&, EMsgIcon) {
                strMessage = strText;
            });
        if (nCheck != COptionTable::CHECK_OK)
            problems.Add(card.nLine, QStringLiteral("%1: %2").arg(card.strMac, strMessage));
        card.grpSend = option.m_grpSend;
    }

    // Two cards with one address, where the plan gives one of them that address.
    QHash<QString, std::size_t> mapByIp;
    for (std::size_t i = 0; i < arrFound.size(); ++i) {
        const QString& strIp = arrFinalIp[i];
        if (arrIpPlanned[i] && arrOwnAddresses.contains(strIp))
            problems.Add(arrIpLine[i], QStringLiteral("%1 would get %2, an address of this PC")
                                           .arg(arrFound[i].strMac, strIp));
        const auto it = mapByIp.constFind(strIp);
        if (it == mapByIp.constEnd()) {
            mapByIp.insert(strIp, i);
            continue;
        }
        const std::size_t j = it.value();
        if (arrIpPlanned[i] || arrIpPlanned[j])
            problems.Add(arrIpPlanned[i] ? arrIpLine[i] : arrIpLine[j],
                         QStringLiteral("%1 and %2 would both have address %3")
                             .arg(arrFound[j].strMac, arrFound[i].strMac, strIp));
    }
    return problems.Count() == nBefore;
}

bool CBatchPlan::Verify(SPlannedCard& card, const CVarDataGroup& grpParams)
{
    COptionTable option;
    option.m_grpParams = grpParams;
    option.LoadParams();
    bool bAll = true;
    for (SPlanChange& change : card.arrChanges) {
        int nRow = 0;
        while (nRow < option.GetItemCount() && option.GetItemData(nRow) != change.nSetId)
            ++nRow;
        change.strRead = option.GetItemText(nRow, COptionTable::COL_VALUE);
        bAll = bAll && nRow < option.GetItemCount() && change.strRead == change.strPlanned;
    }
    return bAll;
}
