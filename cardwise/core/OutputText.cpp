// SPDX-License-Identifier: GPL-3.0-or-later
// Card texts as files and terminals take them: JSON string literals, CSV fields, escapes.
#include "OutputText.h"

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

QString CsvField(const QString& strCell)
{
    QString strText = TerminalText(strCell);
    if (!strText.contains(QLatin1Char(',')) && !strText.contains(QLatin1Char('"')))
        return strText;
    QString strQuoted = strText;
    strQuoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + strQuoted + QLatin1Char('"');
}
