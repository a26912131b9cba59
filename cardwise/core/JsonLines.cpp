// SPDX-License-Identifier: GPL-3.0-or-later
// CJsonLines: one pass over the text, tracking strings, nesting and line breaks.
#include "JsonLines.h"

CJsonLines::CJsonLines(const QByteArray& strJson, const QString& strArrayKey)
    : m_strArrayKey(strArrayKey)
{
    std::vector<SLevel> arrLevels;
    int nLine = 1;
    int nStringLine = 0;
    QByteArray strString;
    bool bInString = false;
    bool bEscape = false;
    for (const char ch : strJson) {
        if (bInString) {
            if (bEscape)
                bEscape = false;
            else if (ch == '\\')
                bEscape = true;
            else if (ch == '"') {
                bInString = false;
                if (!arrLevels.empty() && arrLevels.back().bObject && arrLevels.back().bExpectKey) {
                    SLevel& level = arrLevels.back();
                    level.strKey = QString::fromUtf8(strString);
                    level.bExpectKey = false;
                    if (arrLevels.size() == 1)
                        m_mapRootKeys.insert(level.strKey, nStringLine);
                    else if (arrLevels.size() == 3 && !arrLevels[1].bObject &&
                             arrLevels[0].strKey == m_strArrayKey)
                        m_mapElementKeys[arrLevels[1].nIndex].insert(level.strKey, nStringLine);
                    continue;
                }
                OnValue(arrLevels, nStringLine);
                continue;
            }
            strString.append(ch);
            continue;
        }
        switch (ch) {
        case '\n':
            ++nLine;
            break;
        case ' ':
        case '\t':
        case '\r':
        case ':':
            break;
        case '"':
            bInString = true;
            nStringLine = nLine;
            strString.clear();
            break;
        case '{':
        case '[':
            OnValue(arrLevels, nLine);
            arrLevels.push_back({ch == '{', ch == '{', 0, QString()});
            break;
        case '}':
        case ']':
            if (!arrLevels.empty())
                arrLevels.pop_back();
            break;
        case ',':
            if (!arrLevels.empty() && arrLevels.back().bObject)
                arrLevels.back().bExpectKey = true;
            else if (!arrLevels.empty())
                ++arrLevels.back().nIndex;
            break;
        default: // a number, true, false or null (called again for each of its characters)
            OnValue(arrLevels, nLine);
            break;
        }
    }
}

void CJsonLines::OnValue(const std::vector<SLevel>& arrLevels, int nLine)
{
    if (arrLevels.size() != 2 || arrLevels[1].bObject || arrLevels[0].strKey != m_strArrayKey)
        return;
    m_mapElements.insert(arrLevels[1].nIndex, nLine);
}
