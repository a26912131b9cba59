// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the device list's notes, their names and advice.
#include "DeviceNotes.h"

#include "CoreText.h"

#include <algorithm>

using CardwiseCore::ParseAddress;
using CardwiseCore::Tr;

namespace {

struct SNoteText
{
    EDeviceNote nNote;
    const char* pszKey;
    const char* pszTitle;
    const char* pszAdvice;
};

// In bit order.
constexpr SNoteText NOTES[] = {
    {NOTE_OTHER_SUBNET, "other-subnet", "Other subnet",
     "The card's address is in none of the subnets of the adapter that found it, so this PC "
     "cannot reach it by that address. Give it an address of the adapter's subnet with Setup, "
     "or give the adapter an address of the card's subnet."},
    {NOTE_ADDRESS_CONFLICT, "address-conflict", "Address conflict",
     "Another card, or this PC, has the same address. Give each card an address of its own "
     "with Setup."},
    {NOTE_DHCP, "dhcp", "DHCP",
     "The card takes its address from a DHCP server, so its address may change. Reserve an "
     "address for its MAC on the DHCP server, or give it a fixed address with Setup."},
};

bool InSubnetOfInterface(std::uint32_t dwIp, unsigned int nInterface,
                         const std::vector<CAdapterAddress>& arrAdapters, bool& bKnown)
{
    bKnown = false;
    for (const CAdapterAddress& adapter : arrAdapters) {
        if (adapter.nInterface != nInterface)
            continue;
        bKnown = true;
        const std::uint32_t dwMask = ParseAddress(adapter.strMask);
        if ((ParseAddress(adapter.strAddress) & dwMask) == (dwIp & dwMask))
            return true;
    }
    return false;
}

} // namespace

unsigned int DeviceNotes(const SNoteFacts& card, const std::vector<CAdapterAddress>& arrAdapters)
{
    unsigned int nNotes = NOTE_NONE;
    if (card.dwIp != 0 && card.bBroadcastSearch && card.nInterface != 0) {
        // A reply on an interface without addresses, or on an unknown one, proves nothing.
        bool bKnown = false;
        const bool bInSubnet = InSubnetOfInterface(card.dwIp, card.nInterface, arrAdapters, bKnown);
        if (bKnown && !bInSubnet)
            nNotes |= NOTE_OTHER_SUBNET;
    }
    if (card.dwIp != 0) {
        const bool bOwn =
            std::any_of(arrAdapters.begin(), arrAdapters.end(), [&card](const CAdapterAddress& a) {
                return ParseAddress(a.strAddress) == card.dwIp;
            });
        if (card.nSameAddress > 1 || bOwn)
            nNotes |= NOTE_ADDRESS_CONFLICT;
    }
    if (card.nDhcp > 0)
        nNotes |= NOTE_DHCP;
    return nNotes;
}

namespace {

// One text per note of nNotes, in bit order.
template <typename Text> QStringList Texts(unsigned int nNotes, Text fnText)
{
    QStringList arrTexts;
    for (const SNoteText& note : NOTES) {
        if (nNotes & note.nNote)
            arrTexts.append(fnText(note));
    }
    return arrTexts;
}

} // namespace

QStringList NoteKeys(unsigned int nNotes)
{
    return Texts(nNotes, [](const SNoteText& note) { return QLatin1String(note.pszKey); });
}

QString NoteTitles(unsigned int nNotes)
{
    return Texts(nNotes, [](const SNoteText& note) { return Tr(note.pszTitle); })
        .join(QStringLiteral(", "));
}

QString NoteAdvice(unsigned int nNotes)
{
    return Texts(nNotes, [](const SNoteText& note) { return Tr(note.pszAdvice); })
        .join(QStringLiteral("\n\n"));
}
