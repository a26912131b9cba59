// SPDX-License-Identifier: GPL-3.0-or-later
// What cardwise-cli prints: the device list and a card's parameter table as text, JSON, CSV.
#include "CliOutput.h"

#include "DeviceListModel.h"
#include "Inventory.h"
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

} // namespace

QString DevicesJsonArray(const CDeviceListModel& list)
{
    return InventoryJsonArray(InventoryFromList(list));
}

QString RenderDevices(const CDeviceListModel& list, ECliFormat nFormat)
{
    using C = CDeviceListModel;
    const int nRows = list.GetItemCount();
    if (nFormat == FORMAT_JSON)
        return InventoryJson(InventoryFromList(list));
    if (nFormat == FORMAT_CSV)
        return InventoryCsv(InventoryFromList(list));

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

QString RenderComparison(const SInventoryDiff& diff, ECliFormat nFormat)
{
    if (nFormat == FORMAT_JSON) {
        QStringList arrChanged;
        for (const SInventoryChange& change : diff.arrChanged) {
            QStringList arrFields;
            for (const int nField : change.arrFields)
                arrFields.append(QStringLiteral("\"%1\":[%2,%3]")
                                     .arg(QLatin1String(InventoryKey(nField)),
                                          InventoryValueJson(change.saved, nField),
                                          InventoryValueJson(change.found, nField)));
            arrChanged.append(InventoryCardJson(
                change.found,
                QStringLiteral(",\"fields\":{%1}").arg(arrFields.join(QLatin1Char(',')))));
        }
        return QStringLiteral("{\"new\":%1,\"missing\":%2,\"changed\":[%3]}\n")
            .arg(InventoryJsonArray(diff.arrNew), InventoryJsonArray(diff.arrMissing),
                 arrChanged.join(QLatin1Char(',')));
    }

    // New and missing cards with the list's columns but the notes, which belong to a search.
    QStringList arrHeader;
    for (int nField = 0; nField < INV_FIELD_COUNT; ++nField)
        arrHeader.append(CDeviceListModel::ColumnTitle(InventoryColumn(nField)));
    const auto fnCards = [&arrHeader](const QString& strTitle,
                                      const std::vector<SInventoryCard>& arrCards) {
        std::vector<QStringList> arrRows;
        for (const SInventoryCard& card : arrCards) {
            QStringList arrCells;
            for (const std::optional<QString>& strValue : card.arrFields)
                arrCells.append(strValue.value_or(QString()));
            arrRows.push_back(arrCells);
        }
        return arrRows.empty() ? QString()
                               : strTitle.arg(arrRows.size()) + RenderTable(arrHeader, arrRows);
    };
    QString strText = fnCards(QStringLiteral("New cards (%1):\n"), diff.arrNew) +
                      fnCards(QStringLiteral("Missing cards (%1):\n"), diff.arrMissing);
    if (!diff.arrChanged.empty()) {
        // One line per changed value.
        std::vector<QStringList> arrRows;
        for (const SInventoryChange& change : diff.arrChanged) {
            for (const int nField : change.arrFields)
                arrRows.push_back({change.found.arrFields[INV_MAC].value_or(QString()),
                                   CDeviceListModel::ColumnTitle(InventoryColumn(nField)),
                                   change.saved.arrFields[nField].value_or(QString()),
                                   change.found.arrFields[nField].value_or(QString())});
        }
        strText +=
            QStringLiteral("Changed cards (%1):\n").arg(diff.arrChanged.size()) +
            RenderTable({CDeviceListModel::ColumnTitle(CDeviceListModel::COL_MAC),
                         QStringLiteral("Column"), QStringLiteral("Saved"), QStringLiteral("Now")},
                        arrRows);
    }
    return strText + InventorySummary(diff) + QLatin1Char('\n');
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
