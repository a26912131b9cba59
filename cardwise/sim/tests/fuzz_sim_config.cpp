// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the simulator's configuration parser on arbitrary text; what it accepts
// must be a fleet the simulator can answer for, what it refuses must say why.
#include "CardFrame.h"
#include "SimConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

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
    CSimConfig config;
    QString strError;
    if (!ParseSimConfig(strJson, config, strError)) {
        Check(!strError.isEmpty() && config.arrCards.empty());
        return 0;
    }
    Check(!config.arrCards.empty());
    for (const CSimCard& card : config.arrCards) {
        Check(card.strPassword.size() <= CardProtocol::PASSWORD_SIZE);
        Check(card.strDeviceId.size() <= CardProtocol::DEVICE_ID_SIZE);
        // Every card's reply fits into one frame.
        CCardFrameHeader header;
        header.CommandId = CardProtocol::CMD_DEVICE_INFO;
        std::memcpy(header.MAC, card.arrMac, CardProtocol::MAC_SIZE);
        CardFrame::FrameBuffer arrFrame;
        Check(CardFrame::Encode(arrFrame, header, card.DeviceInfo()) > 0);
    }
    return 0;
}
