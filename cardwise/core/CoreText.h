// SPDX-License-Identifier: GPL-3.0-or-later
// Text and address conversions shared by the search, the device list and the parameter table.
#pragma once

#include <QString>

#include <cstdint>

namespace CardwiseCore {

// The display text of an interface source text, through the translation library.
QString Tr(const char* pszText);

// Bytes that came from a card: UTF-8 when they are valid UTF-8, else Latin-1.
QString CardText(const char* pszBytes, int nSize);

// The standard dotted-quad parser: "a.b.c.d" and the short, hexadecimal and octal forms
// ("10.1", "0x7f.1"); an unparsable text gives 0xFFFFFFFF. Network byte order. What a person
// types is read with ParseTypedAddress (ProgramOptions.h) instead.
std::uint32_t ParseAddress(const char* pszText);
std::uint32_t ParseAddress(const QString& strText);

// Dotted text of an address in network byte order.
QString AddressText(std::uint32_t dwNetworkOrder);

// An IP address control holds the first field in the most significant byte.
std::uint32_t ControlToNetwork(std::uint32_t dwControlValue);

// A decimal number as atol reads it on the card's home platform: leading blanks, an optional
// sign, digits; 0 when there are none; clamped to the 32-bit range.
std::int32_t AtoL32(const QString& strText);

} // namespace CardwiseCore
