// libFuzzer target: the saved device list's reader on arbitrary bytes; what it refuses says
// why, what it accepts is written back as a list that reads back the same.
#include "Inventory.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool bCondition)
{
    if (!bCondition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Not terminated, so that a read past the end is caught.
    const QByteArray strJson =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<SInventoryCard> arrCards;
    QString strError;
    if (!ParseInventory(strJson, arrCards, strError)) {
        Check(!strError.isEmpty() && arrCards.empty());
        return 0;
    }
    for (const SInventoryCard& card : arrCards)
        Check(card.arrFields[INV_MAC].has_value());
    // Compared as UTF-8, which replaces an unpaired surrogate the same way both times.
    const QByteArray strWritten = InventoryJson(arrCards).toUtf8();
    std::vector<SInventoryCard> arrAgain;
    Check(ParseInventory(strWritten, arrAgain, strError));
    Check(arrAgain.size() == arrCards.size());
    Check(InventoryJson(arrAgain).toUtf8() == strWritten);
    // A list compared with itself differs in nothing.
    Check(CompareInventory(arrAgain, arrAgain).IsEmpty());
    return 0;
}
