// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchPlan: settings for many cards from a CSV or JSON file, read and checked whole before
// anything is sent, and compared with what the cards report afterwards.
#pragma once

#include <LmVarData/VarDataGroup.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// One problem of a plan; nLine 0 when it concerns the file as a whole.
struct SPlanProblem
{
    int nLine = 0;
    QString strText;
};

// The problems found in a plan: the first PROBLEMS_MAX listed, the rest counted.
struct SPlanProblems
{
    static constexpr int PROBLEMS_MAX = 100;

    std::vector<SPlanProblem> arrListed;
    int nUnlisted = 0;

    void Add(int nLine, const QString& strText);
    int Count() const { return static_cast<int>(arrListed.size()) + nUnlisted; }
};

// A parameter value of a plan, in the form the card reports once it took it.
struct SPlanValue
{
    unsigned int nSetId = 0;
    QString strValue;
    int nLine = 0; // the row that gives it
};

// One row of a plan: a card, or "*" for every card found.
struct SPlanRow
{
    int nLine = 0;
    QString strMac; // normalised (00-1A-2B-3C-4D-5E), or "*"
    std::optional<QString> strPassword;
    std::vector<SPlanValue> arrValues; // in column order; empty cells left out
};

// A card as the search found it.
struct SFoundCard
{
    QString strMac;
    QString strIp;                          // its configured address
    const CVarDataGroup* pParams = nullptr; // its device information; null: none kept
};

// A parameter the plan changes on one card.
struct SPlanChange
{
    unsigned int nSetId = 0;
    QString strName;    // as the parameter list names it, untranslated
    QString strCurrent; // what the card reported before
    QString strPlanned;
    QString strRead; // what it reports afterwards; empty until Verify
};

// One card of a checked plan.
struct SPlannedCard
{
    QString strMac;
    int nLine = 0;
    bool bFound = false;
    std::optional<QString> strPassword; // the plan's own for this card; none: the run's
    std::vector<SPlanChange> arrChanges;
    int nFoundIndex = -1;  // its index in the cards found
    CVarDataGroup grpSend; // the request as the parameter dialog's OK builds it
};

class CBatchPlan
{
public:
    // Bounds of what a plan may hold: a hostile file is refused, not read to the end.
    static constexpr qint64 FILE_MAX = qint64{4} * 1024 * 1024;
    static constexpr int ROWS_MAX = 65536;
    static constexpr int COLUMNS_MAX = 64;
    static constexpr int CELL_MAX = 256;

    // Reads a plan: JSON ({"cards":[{"MAC": ..., "HTTP Port": ...}]}) when its first
    // non-blank character is '{', else CSV with a header line. A column is MAC, Password, or a
    // parameter by the name the parameter list shows or by its set identifier. Lists every
    // problem with its line and returns false when there is any.
    bool Parse(const QByteArray& strText, SPlanProblems& problems);
    // Reads a file of at most FILE_MAX bytes and parses it.
    bool Load(const QString& strPath, SPlanProblems& problems);
    // A plan from a form instead of a file: one row per MAC (normalised) with the same values,
    // each a set identifier and the text typed, checked as a plan's cell is. Problems name no
    // line.
    bool SetForm(const QStringList& arrMacs,
                 const std::vector<std::pair<unsigned int, QString>>& arrValues,
                 SPlanProblems& problems);

    const std::vector<SPlanRow>& GetRows() const { return m_arrRows; }
    // Whether some row gives no password of its own, so that the run needs one.
    bool NeedsPassword() const;

    // Matches the rows with the cards found and builds each found card's request as the
    // parameter dialog's OK does (every writable row, the plan's values in place), with the
    // restart request when bAutoRestart. Checks the whole: each card's values pass the
    // dialog's checks, no two cards get one address, and no card gets one of arrOwnAddresses
    // (the PC's). Returns false with the problems; the cards are kept either way.
    bool Prepare(const std::vector<SFoundCard>& arrFound, const QStringList& arrOwnAddresses,
                 bool bAutoRestart, SPlanProblems& problems);
    const std::vector<SPlannedCard>& GetCards() const { return m_arrCards; }

    // Fills strRead of each change from what the card now reports; true when every planned
    // value is what it reports.
    static bool Verify(SPlannedCard& card, const CVarDataGroup& grpParams);

private:
    bool ParseCsv(const QByteArray& strText, SPlanProblems& problems);
    bool ParseJson(const QByteArray& strText, SPlanProblems& problems);
    // Checks the rows read: MACs unique, every row a MAC or "*".
    void CheckRows(SPlanProblems& problems) const;

    std::vector<SPlanRow> m_arrRows;
    std::vector<SPlannedCard> m_arrCards;
};
