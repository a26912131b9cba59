// SPDX-License-Identifier: GPL-3.0-or-later
// Text and address conversions shared by the search, the device list and the parameter table.
#include "CoreText.h"

#include "CardProtocol.h"
#include "LmLang.h"

#include <QStringDecoder>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <climits>

namespace CardwiseCore {

QString Tr(const char* pszText)
{
    return QString::fromUtf8(GetTranslateText(pszText));
}

QString CardText(const char* pszBytes, int nSize)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString strText = decoder.decode(QByteArrayView(pszBytes, nSize));
    if (decoder.hasError())
        return QString::fromLatin1(pszBytes, nSize);
    return strText;
}

std::uint32_t ParseAddress(const char* pszText)
{
    return ::inet_addr(pszText);
}

std::uint32_t ParseAddress(const QString& strText)
{
    return ParseAddress(strText.toLatin1().constData());
}

QString AddressText(std::uint32_t dwNetworkOrder)
{
    char szText[CardProtocol::ADDRESS_TEXT_SIZE];
    return QString::fromLatin1(CardProtocol::FormatAddress(dwNetworkOrder, szText));
}

std::uint32_t ControlToNetwork(std::uint32_t dwControlValue)
{
    return htonl(dwControlValue);
}

std::int32_t AtoL32(const QString& strText)
{
    const QByteArray strBytes = strText.toLatin1();
    const char* p = strBytes.constData();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
        bNegative = *p++ == '-';
    long long nValue = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1)
            break; // clamped below; more digits cannot bring it back
    }
    if (bNegative)
        nValue = -nValue;
    if (nValue > INT_MAX)
        return INT_MAX;
    if (nValue < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(nValue);
}

} // namespace CardwiseCore
