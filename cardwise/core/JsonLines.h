// SPDX-License-Identifier: GPL-3.0-or-later
// CJsonLines: where the keys and array elements of a JSON document begin, for messages that
// name a line (QJsonDocument keeps no positions).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

// Reads text that QJsonDocument accepted, with an object at the top level whose key
// strArrayKey holds an array of objects (the elements); keys are compared as written.
class CJsonLines
{
public:
    CJsonLines(const QByteArray& strJson, const QString& strArrayKey);

    // The line of a key of the top level, or 0.
    int RootKey(const QString& strKey) const { return m_mapRootKeys.value(strKey); }
    // The line where element nElement (from 0) begins, or 0.
    int Element(int nElement) const { return m_mapElements.value(nElement); }
    // The line of a key of an element; where the element begins when the key is not there.
    int ElementKey(int nElement, const QString& strKey) const
    {
        const int nLine = m_mapElementKeys.value(nElement).value(strKey);
        return nLine != 0 ? nLine : Element(nElement);
    }

private:
    struct SLevel
    {
        bool bObject;
        bool bExpectKey; // an object before its next key
        int nIndex;      // an array: the element being read
        QString strKey;  // an object: the key whose value is being read
    };

    // Where a value begins: the elements are those of the top level's array.
    void OnValue(const std::vector<SLevel>& arrLevels, int nLine);

    QString m_strArrayKey;
    QHash<QString, int> m_mapRootKeys;
    QHash<int, int> m_mapElements;
    QHash<int, QHash<QString, int>> m_mapElementKeys;
};
