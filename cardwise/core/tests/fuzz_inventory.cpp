// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the saved device list's reader on arbitrary bytes; what it refuses says
// why, what it accepts is written back as a list that reads back the same.
#include "Inventory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Not terminated, so that a read past the end is caught.
    const QByteArray strJson =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<SInventoryCard> arrCards;
    QString strError;
    bool bSound = true;
    if (!ParseInventory(strJson, arrCards, strError))
        bSound = !strError.isEmpty() && arrCards.empty();
    else {
        // Compared as UTF-8, which replaces an unpaired surrogate the same way both times.
        const QByteArray strWritten = InventoryJson(arrCards).toUtf8();
        std::vector<SInventoryCard> arrAgain;
        bSound = ParseInventory(strWritten, arrAgain, strError) &&
                 arrAgain.size() == arrCards.size() &&
                 InventoryJson(arrAgain).toUtf8() == strWritten &&
                 CompareInventory(arrAgain, arrAgain).IsEmpty();
        for (const SInventoryCard& card : arrCards)
            bSound = bSound && card.arrFields[INV_MAC].has_value();
    }
    if (!bSound)
        __builtin_trap();
    return 0;
}
