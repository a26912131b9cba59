// SPDX-License-Identifier: GPL-3.0-or-later
// Readable GoogleTest output for Qt texts.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& strText, std::ostream* pStream)
{
    *pStream << '"' << strText.toStdString() << '"';
}

inline void PrintTo(const QStringList& arrTexts, std::ostream* pStream)
{
    *pStream << '{';
    for (int i = 0; i < arrTexts.size(); ++i)
        *pStream << (i ? ", \"" : "\"") << arrTexts[i].toStdString() << '"';
    *pStream << '}';
}
