// SPDX-License-Identifier: GPL-3.0-or-later
// Texts a person types for the options that cardwise, cardwise-cli and cardwise-sim share.
#include "ProgramOptions.h"

#include "CoreText.h"

#include <QStringList>

#include <netinet/in.h>

namespace CardwiseCore {

namespace {

// A decimal number of at most nMaxDigits digits, without sign, blanks or leading zeros.
std::optional<std::uint32_t> ParseDecimal(QStringView strText, int nMaxDigits)
{
    if (strText.isEmpty() || strText.size() > nMaxDigits ||
        (strText.size() > 1 && strText.front() == QLatin1Char('0')))
        return std::nullopt;
    std::uint32_t dwValue = 0;
    for (const QChar ch : strText) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
        dwValue = dwValue * 10 + static_cast<std::uint32_t>(ch.unicode() - '0');
    }
    return dwValue;
}

} // namespace

std::optional<std::uint32_t> ParseTypedAddress(const QString& strText)
{
    const QList<QStringView> arrParts = QStringView(strText).split(QLatin1Char('.'));
    if (arrParts.size() != 4)
        return std::nullopt;
    std::uint32_t dwAddress = 0;
    for (const QStringView strPart : arrParts) {
        const std::optional<std::uint32_t> dwOctet = ParseDecimal(strPart, 3);
        if (!dwOctet || *dwOctet > 255)
            return std::nullopt;
        dwAddress = dwAddress << 8 | *dwOctet;
    }
    return dwAddress;
}

bool ParseTypedMac(const QString& strText, unsigned char (&arrMac)[CardProtocol::MAC_SIZE])
{
    // The length first: the text may hold a zero byte, where the C string would end.
    return strText.size() == CardProtocol::MAC_TEXT_SIZE - 1 &&
           CardProtocol::ParseMac(strText.toLatin1().constData(), arrMac) != 0;
}

std::optional<std::uint32_t> ParseTypedMask(const QString& strText)
{
    if (!strText.contains(QLatin1Char('.'))) {
        const std::optional<std::uint32_t> dwPrefix = ParseDecimal(strText, 2);
        if (!dwPrefix || *dwPrefix > 32)
            return std::nullopt;
        return *dwPrefix == 0 ? 0u : ~std::uint32_t{0} << (32 - *dwPrefix);
    }
    const std::optional<std::uint32_t> dwMask = ParseTypedAddress(strText);
    // The one bits come first: inverted, the mask is a run of ones from the bottom.
    if (!dwMask || ((~*dwMask + 1) & ~*dwMask) != 0)
        return std::nullopt;
    return dwMask;
}

bool ParseSubnetOption(const QString& strText, SSubnet& subnet, QString& strError)
{
    const qsizetype nSlash = strText.indexOf(QLatin1Char('/'));
    const std::optional<std::uint32_t> dwAddress =
        nSlash < 0 ? std::nullopt : ParseTypedAddress(strText.left(nSlash));
    const std::optional<std::uint32_t> dwMask =
        nSlash < 0 ? std::nullopt : ParseTypedMask(strText.mid(nSlash + 1));
    if (!dwAddress || !dwMask) {
        strError = QStringLiteral("--subnet expects ADDRESS/MASK such as "
                                  "192.168.1.0/255.255.255.0 or 192.168.1.0/24 (four numbers "
                                  "from 0 to 255, no leading zeros), not '%1'")
                       .arg(strText);
        return false;
    }
    if (*dwAddress == 0 || *dwMask == 0) {
        strError = QStringLiteral("--subnet needs an address and a mask other than 0.0.0.0");
        return false;
    }
    subnet.dwAddress = *dwAddress;
    subnet.dwMask = *dwMask;
    return true;
}

QString RangeProblem(std::uint32_t dwStart, std::uint32_t dwEnd)
{
    const QString strStart = AddressText(htonl(dwStart));
    const QString strEnd = AddressText(htonl(dwEnd));
    if (dwEnd < dwStart)
        return Tr("The end address %1 is below the start address %2.").arg(strEnd, strStart);
    const std::uint64_t nCount = std::uint64_t{dwEnd} - dwStart + 1;
    if (nCount > RANGE_MAX_ADDRESSES)
        return Tr("%1 – %2 holds %3 addresses; one sweep covers at most 65536.")
            .arg(strStart, strEnd)
            .arg(nCount);
    return QString();
}

bool ParseRangeOption(const QString& strText, SRange& range, QString& strError)
{
    const qsizetype nDash = strText.indexOf(QLatin1Char('-'));
    const std::optional<std::uint32_t> dwStart =
        nDash < 0 ? std::nullopt : ParseTypedAddress(strText.left(nDash));
    const std::optional<std::uint32_t> dwEnd =
        nDash < 0 ? std::nullopt : ParseTypedAddress(strText.mid(nDash + 1));
    if (!dwStart || !dwEnd) {
        strError = QStringLiteral("--range expects START-END such as 10.1.2.1-10.1.2.254 (four "
                                  "numbers from 0 to 255 each, no leading zeros), not '%1'")
                       .arg(strText);
        return false;
    }
    if (*dwStart == 0 || *dwEnd == 0) {
        strError = QStringLiteral("--range needs addresses other than 0.0.0.0");
        return false;
    }
    strError = RangeProblem(*dwStart, *dwEnd);
    if (!strError.isEmpty())
        return false;
    range.dwStart = *dwStart;
    range.dwEnd = *dwEnd;
    return true;
}

bool ParseRateOption(const QString& strText, int& nRate, QString& strError)
{
    const std::optional<std::uint32_t> dwRate = ParseDecimal(strText, 6);
    if (!dwRate || *dwRate == 0 || *dwRate > static_cast<std::uint32_t>(RATE_MAX)) {
        strError = QStringLiteral("--rate expects requests per second from 1 to %1, not '%2'")
                       .arg(RATE_MAX)
                       .arg(strText);
        return false;
    }
    nRate = static_cast<int>(*dwRate);
    return true;
}

bool ParseTraceOption(const QString& strText, int& nLevel, QString& strError)
{
    // Nine digits always fit an int.
    const std::optional<std::uint32_t> dwLevel = ParseDecimal(strText, 9);
    if (!dwLevel) {
        strError =
            QStringLiteral("--trace expects a level such as 0, 20 or 40, not '%1'").arg(strText);
        return false;
    }
    nLevel = static_cast<int>(*dwLevel);
    return true;
}

} // namespace CardwiseCore
