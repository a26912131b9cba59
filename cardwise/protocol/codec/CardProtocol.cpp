// SPDX-License-Identifier: GPL-3.0-or-later
// Text forms shared by everything that speaks the card protocol: MAC and address texts.
#include "CardProtocol.h"

#include <cstdio>
#include <cstring>

namespace CardProtocol {

char* FormatMac(const unsigned char* pMac, char (&szText)[MAC_TEXT_SIZE])
{
    std::snprintf(szText, sizeof szText, "%02X-%02X-%02X-%02X-%02X-%02X", pMac[0], pMac[1], pMac[2],
                  pMac[3], pMac[4], pMac[5]);
    return szText;
}

int ParseMac(const char* pszText, unsigned char (&arrMac)[MAC_SIZE])
{
    if (!pszText)
        return 0;
    unsigned char arrParsed[MAC_SIZE];
    const char* p = pszText;
    for (int i = 0; i < MAC_SIZE; ++i) {
        if (i > 0) {
            if (*p != '-' && *p != ':')
                return 0;
            ++p;
        }
        unsigned int nOctet = 0;
        for (int nDigit = 0; nDigit < 2; ++nDigit, ++p) {
            const char c = *p;
            unsigned int nNibble;
            if (c >= '0' && c <= '9')
                nNibble = static_cast<unsigned int>(c - '0');
            else if (c >= 'a' && c <= 'f')
                nNibble = static_cast<unsigned int>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                nNibble = static_cast<unsigned int>(c - 'A' + 10);
            else
                return 0;
            nOctet = nOctet << 4 | nNibble;
        }
        arrParsed[i] = static_cast<unsigned char>(nOctet);
    }
    if (*p != '\0')
        return 0;
    std::memcpy(arrMac, arrParsed, MAC_SIZE);
    return 1;
}

char* FormatAddress(std::uint32_t dwNetworkOrder, char (&szText)[ADDRESS_TEXT_SIZE])
{
    // The octets in memory order, whatever the host's byte order (as inet_ntoa reads them).
    unsigned char arrOctets[4];
    std::memcpy(arrOctets, &dwNetworkOrder, sizeof arrOctets);
    std::snprintf(szText, sizeof szText, "%u.%u.%u.%u", arrOctets[0], arrOctets[1], arrOctets[2],
                  arrOctets[3]);
    return szText;
}

bool IsBroadcastTarget(const char* pszAddress)
{
    return pszAddress && std::strstr(pszAddress, "255") != nullptr;
}

} // namespace CardProtocol
