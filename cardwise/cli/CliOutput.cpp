// What cardwise-cli prints: the device list and a card's parameter table as text, JSON, CSV.
#include "CliOutput.h"

#include "DeviceListModel.h"
#include "DeviceNotes.h"
#include "OptionTable.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Terminal columns a text takes: East Asian wide characters take two.
int DisplayWidth(const QString& strText)
{
    int nWidth = 0;
    for (const QChar ch : strText) {
        const char16_t c = ch.unicode();
        const bool bWide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                           (c >= 0xFFE0 && c <= 0xFFE6);
        nWidth += bWide ? 2 : 1;
    }
    return nWidth;
}

// Aligned columns under a header line, two blanks apart; cells as TerminalText shows them.
QString RenderTable(const QStringList& arrHeader, std::vector<QStringList> arrRows)
{
    for (QStringList& arrCells : arrRows) {
        for (QString& strCell : arrCells)
            strCell = TerminalText(strCell);
    }
    std::vector<int> arrWidths(arrHeader.size(), 0);
    auto fnWiden = [&arrWidths](const QStringList& arrCells) {
        for (int i = 0; i < arrCells.size(); ++i)
            arrWidths[i] = std::max(arrWidths[i], DisplayWidth(arrCells[i]));
    };
    fnWiden(arrHeader);
    for (const QStringList& arrCells : arrRows)
        fnWiden(arrCells);

    QString strText;
    auto fnAppend = [&](const QStringList& arrCells) {
        QString strLine;
        for (int i = 0; i < arrCells.size(); ++i) {
            strLine += arrCells[i];
            if (i + 1 < arrCells.size())
                strLine += QString(arrWidths[i] + 2 - DisplayWidth(arrCells[i]), QLatin1Char(' '));
        }
        strText += strLine.trimmed() + QLatin1Char('\n');
    };
    fnAppend(arrHeader);
    for (const QStringList& arrCells : arrRows)
        fnAppend(arrCells);
    return strText;
}

QString CsvField(const QString& strCell)
{
    QString strText = TerminalText(strCell);
    if (!strText.contains(QLatin1Char(',')) && !strText.contains(QLatin1Char('"')))
        return strText;
    QString strQuoted = strText;
    strQuoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + strQuoted + QLatin1Char('"');
}

QString JsonNumberOrNull(const QString& strText)
{
    return strText.isEmpty() ? QStringLiteral("null") : strText;
}

} // namespace

QString TerminalText(const QString& strText)
{
    QString strOut;
    strOut.reserve(strText.size());
    for (const QChar ch : strText) {
        if (ch.category() == QChar::Other_Control)
            strOut += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else
            strOut += ch;
    }
    return strOut;
}

QString JsonString(const QString& strText)
{
    QString strOut = QStringLiteral("\"");
    for (const QChar ch : strText) {
        switch (ch.unicode()) {
        case '"':
            strOut += QLatin1String("\\\"");
            break;
        case '\\':
            strOut += QLatin1String("\\\\");
            break;
        case '\n':
            strOut += QLatin1String("\\n");
            break;
        case '\r':
            strOut += QLatin1String("\\r");
            break;
        case '\t':
            strOut += QLatin1String("\\t");
            break;
        default:
            // DEL and the C1 controls too: some terminals act on them as on ESC sequences.
            if (ch.category() == QChar::Other_Control)
                strOut += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
            else
                strOut += ch;
        }
    }
    return strOut + QLatin1Char('"');
}

QString DevicesJsonArray(const CDeviceListModel& list)
{
    using C = CDeviceListModel;
    QStringList arrItems;
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow) {
        const QString strAdapter = list.GetItemText(nRow, C::COL_ADAPTER);
        QStringList arrNotes = NoteKeys(list.GetNotes(nRow));
        for (QString& strKey : arrNotes)
            strKey = JsonString(strKey);
        arrItems.append(
            QStringLiteral("{\"mac\":%1,\"actual_ip\":%2,\"ip\":%3,\"mask\":%4,"
                           "\"gateway\":%5,\"hw\":%6,\"fw\":%7,\"adapter\":%8,"
                           "\"notes\":[%9]}")
                .arg(JsonString(list.GetItemText(nRow, C::COL_MAC)),
                     JsonString(list.GetItemText(nRow, C::COL_ACTUAL_IP)),
                     JsonString(list.GetItemText(nRow, C::COL_IP)),
                     JsonString(list.GetItemText(nRow, C::COL_MASK)),
                     JsonString(list.GetItemText(nRow, C::COL_GATEWAY)),
                     JsonNumberOrNull(list.GetItemText(nRow, C::COL_HW_VER)),
                     JsonNumberOrNull(list.GetItemText(nRow, C::COL_FW_VER)),
                     strAdapter.isEmpty() ? QStringLiteral("null") : JsonString(strAdapter),
                     arrNotes.join(QLatin1Char(','))));
    }
    return QLatin1Char('[') + arrItems.join(QLatin1Char(',')) + QLatin1Char(']');
}

QString RenderDevices(const CDeviceListModel& list, ECliFormat nFormat)
{
    using C = CDeviceListModel;
    const int nRows = list.GetItemCount();
    if (nFormat == FORMAT_JSON)
        return QStringLiteral("{\"devices\":%1}\n").arg(DevicesJsonArray(list));

    static const int COLUMNS[] = {C::COL_MAC,     C::COL_ACTUAL_IP, C::COL_IP,     C::COL_MASK,
                                  C::COL_GATEWAY, C::COL_HW_VER,    C::COL_FW_VER, C::COL_ADAPTER};
    if (nFormat == FORMAT_CSV) {
        // The notes by their keys, as in JSON, blank-separated in one field.
        QString strText = QStringLiteral("mac,actual_ip,ip,mask,gateway,hw,fw,adapter,notes\n");
        for (int nRow = 0; nRow < nRows; ++nRow) {
            QStringList arrCells;
            for (const int nColumn : COLUMNS)
                arrCells.append(CsvField(list.GetItemText(nRow, nColumn)));
            arrCells.append(CsvField(NoteKeys(list.GetNotes(nRow)).join(QLatin1Char(' '))));
            strText += arrCells.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
        return strText;
    }

    // The list's own column order and titles.
    QStringList arrHeader;
    for (int nColumn = C::COL_ACTUAL_IP; nColumn < C::COL_COUNT; ++nColumn)
        arrHeader.append(list.headerData(nColumn, Qt::Horizontal).toString());
    std::vector<QStringList> arrRows;
    for (int nRow = 0; nRow < nRows; ++nRow) {
        QStringList arrCells;
        for (int nColumn = C::COL_ACTUAL_IP; nColumn < C::COL_COUNT; ++nColumn)
            arrCells.append(list.GetItemText(nRow, nColumn));
        arrRows.push_back(arrCells);
    }
    return RenderTable(arrHeader, arrRows) + QStringLiteral("%1 card(s) found\n").arg(nRows);
}

QString RenderParams(const QString& strMac, const COptionTable& option, ECliFormat nFormat)
{
    using C = COptionTable;
    const int nRows = option.GetItemCount();
    if (nFormat == FORMAT_JSON) {
        QStringList arrItems;
        for (int nRow = 0; nRow < nRows; ++nRow)
            arrItems.append(QStringLiteral("{\"no\":%1,\"name\":%2,\"value\":%3,\"memo\":%4,"
                                           "\"id\":%5}")
                                .arg(QString::number(nRow + 1),
                                     JsonString(option.GetItemText(nRow, C::COL_NAME)),
                                     JsonString(option.GetItemText(nRow, C::COL_VALUE)),
                                     JsonString(option.GetItemText(nRow, C::COL_MEMO)),
                                     QString::number(option.GetItemData(nRow))));
        return QStringLiteral("{\"mac\":%1,\"params\":[%2]}\n")
            .arg(JsonString(strMac), arrItems.join(QLatin1Char(',')));
    }

    QStringList arrHeader;
    for (int nColumn = 0; nColumn < C::COL_COUNT; ++nColumn)
        arrHeader.append(option.headerData(nColumn, Qt::Horizontal).toString());
    std::vector<QStringList> arrRows;
    for (int nRow = 0; nRow < nRows; ++nRow) {
        QStringList arrCells;
        for (int nColumn = 0; nColumn < C::COL_COUNT; ++nColumn)
            arrCells.append(option.GetItemText(nRow, nColumn));
        arrRows.push_back(arrCells);
    }
    return QStringLiteral("MAC %1\n").arg(strMac) + RenderTable(arrHeader, arrRows);
}

QString RenderPlanProblems(const QString& strPlan, const SPlanProblems& problems,
                           ECliFormat nFormat)
{
    QString strText;
    QStringList arrItems;
    for (const SPlanProblem& problem : problems.arrListed) {
        const QString strWhere =
            problem.nLine > 0 ? QStringLiteral("%1:%2").arg(strPlan).arg(problem.nLine) : strPlan;
        std::fprintf(stderr, "cardwise-cli: %s: %s\n", strWhere.toUtf8().constData(),
                     TerminalText(problem.strText).toUtf8().constData());
        arrItems.append(QStringLiteral("{\"line\":%1,\"problem\":%2}")
                            .arg(problem.nLine)
                            .arg(JsonString(problem.strText)));
    }
    std::fprintf(
        stderr, "cardwise-cli: plan refused, nothing sent%s\n",
        problems.nUnlisted > 0
            ? QStringLiteral(" (%1 more problems)").arg(problems.nUnlisted).toUtf8().constData()
            : "");
    if (nFormat == FORMAT_JSON)
        strText = QStringLiteral("{\"refused\":[%1],\"unlisted\":%2}\n")
                      .arg(arrItems.join(QLatin1Char(',')))
                      .arg(problems.nUnlisted);
    return strText;
}

QString RenderApply(const std::vector<SPlannedCard>& arrCards,
                    const std::vector<std::optional<EApplyResult>>& arrResults, ECliFormat nFormat)
{
    static const EApplyResult RESULTS[] = {APPLY_VERIFIED, APPLY_NOT_APPLIED,
                                           APPLY_PASSWORD_REJECTED, APPLY_NO_ANSWER,
                                           APPLY_NOT_FOUND};
    const auto fnResult = [&arrResults](std::size_t i) {
        return arrResults[i] ? ApplyResultKey(*arrResults[i]) : QStringLiteral("planned");
    };
    const auto fnRead = [&arrResults](std::size_t i) {
        return arrResults[i] == APPLY_VERIFIED || arrResults[i] == APPLY_NOT_APPLIED;
    };
    // The five results always, "planned" only in a dry run.
    QStringList arrKeys;
    for (const EApplyResult nResult : RESULTS)
        arrKeys.append(ApplyResultKey(nResult));
    QStringList arrSummary;
    QStringList arrJsonSummary;
    for (const QString& strKey : std::as_const(arrKeys) + QStringList{QStringLiteral("planned")}) {
        int nCount = 0;
        for (std::size_t i = 0; i < arrCards.size(); ++i)
            nCount += fnResult(i) == strKey ? 1 : 0;
        if (nCount == 0 && !arrKeys.contains(strKey))
            continue;
        arrSummary.append(QStringLiteral("%1 %2").arg(nCount).arg(strKey));
        arrJsonSummary.append(QStringLiteral("%1:%2").arg(JsonString(strKey)).arg(nCount));
    }

    if (nFormat == FORMAT_JSON) {
        QStringList arrItems;
        for (std::size_t i = 0; i < arrCards.size(); ++i) {
            const SPlannedCard& card = arrCards[i];
            QStringList arrChanges;
            for (const SPlanChange& change : card.arrChanges)
                arrChanges.append(
                    QStringLiteral("{\"id\":%1,\"name\":%2,\"current\":%3,\"planned\":%4,"
                                   "\"read\":%5}")
                        .arg(change.nSetId)
                        .arg(JsonString(change.strName),
                             card.bFound ? JsonString(change.strCurrent) : QStringLiteral("null"),
                             JsonString(change.strPlanned),
                             fnRead(i) ? JsonString(change.strRead) : QStringLiteral("null")));
            arrItems.append(
                QStringLiteral("{\"mac\":%1,\"line\":%2,\"result\":%3,\"changes\":[%4]}")
                    .arg(JsonString(card.strMac))
                    .arg(card.nLine)
                    .arg(JsonString(fnResult(i)), arrChanges.join(QLatin1Char(','))));
        }
        return QStringLiteral("{\"cards\":[%1],\"summary\":{%2}}\n")
            .arg(arrItems.join(QLatin1Char(',')), arrJsonSummary.join(QLatin1Char(',')));
    }

    std::vector<QStringList> arrRows;
    for (std::size_t i = 0; i < arrCards.size(); ++i) {
        const SPlannedCard& card = arrCards[i];
        QStringList arrChanges;
        for (const SPlanChange& change : card.arrChanges) {
            QString strChange =
                QStringLiteral("%1: %2 -> %3")
                    .arg(change.strName, card.bFound ? change.strCurrent : QStringLiteral("?"),
                         change.strPlanned);
            if (fnRead(i) && change.strRead != change.strPlanned)
                strChange += QStringLiteral(" (reads %1)").arg(change.strRead);
            arrChanges.append(strChange);
        }
        arrRows.push_back({card.strMac, QString::number(card.nLine), fnResult(i),
                           arrChanges.join(QStringLiteral(", "))});
    }
    QString strText = RenderTable({QStringLiteral("MAC"), QStringLiteral("Line"),
                                   QStringLiteral("Result"), QStringLiteral("Changes")},
                                  arrRows);
    return strText + arrSummary.join(QStringLiteral(", ")) + QLatin1Char('\n');
}
