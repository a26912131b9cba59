// SPDX-License-Identifier: GPL-3.0-or-later
// COptionTable: the parameter list of one card and the set request built from it.
#pragma once

#include "MessageSink.h"

#include <LmVarData/VarDataGroup.h>

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringList>

#include <optional>
#include <vector>

// The logic of the parameter dialog: the caller fills m_grpParams, calls LoadParams, lets the
// operator change value texts, and on OK calls OnOK, which fills m_grpSend.
class COptionTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum EColumn
    {
        COL_NO,
        COL_NAME,
        COL_VALUE,
        COL_MEMO,
        COL_COUNT
    };
    enum ECheck
    {
        CHECK_OK,
        CHECK_BAD_ADDRESS,
        CHECK_BAD_GATEWAY,
        CHECK_NOT_AN_ADDRESS, // an address row holds no typed address ("010", "10.1")
        CHECK_TEXT_TOO_LONG
    };

    explicit COptionTable(QObject* parent = nullptr);

    // The set identifier of a parameter named as the list shows it, by its source or its
    // translated name (letter case ignored) or by its set identifier in decimal; 0 for a
    // read-only parameter; nothing when no parameter has that name.
    static std::optional<unsigned int> FindParamByName(const QString& strName);
    // The source names of all parameters, in list order.
    static QStringList ParamNames();
    // Checks a value typed for the writable parameter nSetId as the card will read it, before
    // the card's other values are known (OnOK checks them together): an address typed as
    // ParseTypedAddress reads it, a port from 1 to 65535, a flag 0 or 1, a text that fits one
    // item. On failure returns false and a message naming strName.
    static bool CheckValueText(unsigned int nSetId, const QString& strName, const QString& strValue,
                               QString& strError);

    // Input: the card's values as decoded (command code in the high 16 bits of the IDs).
    CVarDataGroup m_grpParams;
    // Output of OnOK: the values to send, with plain set identifiers as IDs.
    CVarDataGroup m_grpSend;
    QString m_strPassword = QStringLiteral("lemon");
    int m_bAutoRestart = 1;

    // Rebuilds the rows from m_grpParams, in the group's order; values that have no row
    // do not use up a number.
    void LoadParams();

    int GetItemCount() const { return static_cast<int>(m_arrRows.size()); }
    // The identifier the row's value is sent under, 0 for a read-only row.
    unsigned int GetItemData(int nRow) const;
    // The untranslated name ("HTTP Port"); empty outside the table.
    QString GetSourceName(int nRow) const;
    // The text a cell shows; names and memos translated, values as they are.
    QString GetItemText(int nRow, int nColumn) const;
    // An edit: from now on the row sends its text (a text as UTF-8), no longer the card's bytes.
    void SetValueText(int nRow, const QString& strValue);

    // A read-only row cannot be edited: shows the warning and returns false.
    bool CheckEditable(int nRow, const MessageBoxSink& fnMessageBox) const;

    // Rebuilds m_grpSend from every writable row in row order (a text the operator did not
    // edit goes back byte for byte as the card sent it) and checks the address
    // settings: address and mask not 0, then the gateway in their network, then every address
    // row a typed address (ParseTypedAddress), then the texts' lengths. On a failed check
    // shows its message and returns it. The restart request is added last when
    // m_bAutoRestart is set and the checks pass.
    ECheck OnOK(const MessageBoxSink& fnMessageBox);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct SParamRow
    {
        const char* pszName;
        QString strValue;
        const char* pszMemo; // "" for none
        unsigned int nSetId;
        // A text row's bytes as the card sent them, sent back as they are until edited.
        std::optional<QByteArray> strCardBytes;
    };

    // The message of a failed check; pRow is the row that failed CHECK_NOT_AN_ADDRESS.
    static QString CheckMessage(ECheck nCheck, const SParamRow* pRow);

    std::vector<SParamRow> m_arrRows;
};
