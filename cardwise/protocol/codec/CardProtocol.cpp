// Text forms shared by everything that speaks the card protocol: MAC and address texts.
#include "CardProtocol.h"

#include <cstdio>
#include <cstring>

namespace CardProtocol {

char* FormatMac(const unsigned char* mac, char (&text)[MAC_TEXT_SIZE])
{
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

int ParseMac(const char* text, unsigned char (&mac)[MAC_SIZE])
{
    if (!text)
        return 0;
    unsigned char parsed[MAC_SIZE];
    const char* p = text;
    for (int i = 0; i < MAC_SIZE; ++i) {
        if (i > 0) {
            if (*p != '-' && *p != ':')
                return 0;
            ++p;
        }
        unsigned int octet = 0;
        for (int digit = 0; digit < 2; ++digit, ++p) {
            const char c = *p;
            unsigned int nibble;
            if (c >= '0' && c <= '9')
                nibble = static_cast<unsigned int>(c - '0');
            else if (c >= 'a' && c <= 'f')
                nibble = static_cast<unsigned int>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                nibble = static_cast<unsigned int>(c - 'A' + 10);
            else
                return 0;
            octet = octet << 4 | nibble;
        }
        parsed[i] = static_cast<unsigned char>(octet);
    }
    if (*p != '\0')
        return 0;
    std::memcpy(mac, parsed, MAC_SIZE);
    return 1;
}

char* FormatAddress(std::uint32_t networkOrder, char (&text)[ADDRESS_TEXT_SIZE])
{
    // The octets in memory order, whatever the host's byte order (as inet_ntoa reads them).
    unsigned char octets[4];
    std::memcpy(octets, &networkOrder, sizeof octets);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

bool IsBroadcastTarget(const char* address)
{
    return address && std::strstr(address, "255") != nullptr;
}

} // namespace CardProtocol
