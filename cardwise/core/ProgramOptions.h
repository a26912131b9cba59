// SPDX-License-Identifier: GPL-3.0-or-later
// Texts a person types for the options that cardwise, cardwise-cli and cardwise-sim share:
// addresses, MACs, masks, --subnet, --range, --rate and --trace. One reading for all three
// programs.
#pragma once

#include "CardProtocol.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace CardwiseCore {

// An address as a person types it: four decimal numbers from 0 to 255 joined by dots, with
// no blanks, signs or leading zeros ("010"), and none of the short ("10.1"), octal or
// hexadecimal forms that the standard parser also reads. The value has the first number in
// the most significant byte, as an IP address control holds it.
std::optional<std::uint32_t> ParseTypedAddress(const QString& strText);

// A MAC address as a person types it: six two-digit hexadecimal octets joined by '-' or ':',
// nothing before or after (00-1A-2B-3C-4D-5E). True with the six bytes in arrMac.
bool ParseTypedMac(const QString& strText, unsigned char (&arrMac)[CardProtocol::MAC_SIZE]);

// A mask: a typed address whose one bits all come first, or a prefix length from 0 to 32.
// Same byte order as ParseTypedAddress.
std::optional<std::uint32_t> ParseTypedMask(const QString& strText);

// What --subnet gives, in the byte order of ParseTypedAddress; neither part is 0.
struct SSubnet
{
    std::uint32_t dwAddress = 0;
    std::uint32_t dwMask = 0;
};

// --subnet ADDRESS/MASK. On failure returns false and, in strError, what the option expects.
bool ParseSubnetOption(const QString& strText, SSubnet& subnet, QString& strError);

// A range of host addresses to sweep, both ends included, in the byte order of
// ParseTypedAddress.
struct SRange
{
    std::uint32_t dwStart = 0;
    std::uint32_t dwEnd = 0;
};

// The most addresses one sweep covers, and the pace of its requests per second.
constexpr std::uint32_t RANGE_MAX_ADDRESSES = 65536;
constexpr int RATE_DEFAULT = 2000;
constexpr int RATE_MAX = 100000;

// Why the range from dwStart to dwEnd cannot be swept, in the interface language: the end
// below the start, or more than RANGE_MAX_ADDRESSES addresses. Empty when it can.
QString RangeProblem(std::uint32_t dwStart, std::uint32_t dwEnd);

// --range START-END: two typed addresses other than 0.0.0.0 that RangeProblem accepts. On
// failure returns false and, in strError, what is wrong.
bool ParseRangeOption(const QString& strText, SRange& range, QString& strError);

// --rate N: requests per second, 1 to RATE_MAX. On failure returns false and, in strError,
// what the option expects.
bool ParseRateOption(const QString& strText, int& nRate, QString& strError);

// --trace LEVEL: a whole number, 0 or more (0 every trace, 20 frames, 40 warnings). On
// failure returns false and, in strError, what the option expects.
bool ParseTraceOption(const QString& strText, int& nLevel, QString& strError);

} // namespace CardwiseCore
