// Text and address conversions shared by the search, the device list and the parameter table.
#include "CoreText.h"

#include "CardProtocol.h"
#include "LmLang.h"

#include <QStringDecoder>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <climits>

namespace CardwiseCore {

QString Tr(const char* text)
{
    return QString::fromUtf8(GetTranslateText(text));
}

QString CardText(const char* bytes, int size)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes, size));
    if (decoder.hasError())
        return QString::fromLatin1(bytes, size);
    return text;
}

std::uint32_t ParseAddress(const char* text)
{
    return ::inet_addr(text);
}

std::uint32_t ParseAddress(const QString& text)
{
    return ParseAddress(text.toLatin1().constData());
}

QString AddressText(std::uint32_t networkOrder)
{
    char text[CardProtocol::ADDRESS_TEXT_SIZE];
    return QString::fromLatin1(CardProtocol::FormatAddress(networkOrder, text));
}

std::uint32_t ControlToNetwork(std::uint32_t controlValue)
{
    return htonl(controlValue);
}

std::int32_t AtoL32(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    const char* p = bytes.constData();
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
