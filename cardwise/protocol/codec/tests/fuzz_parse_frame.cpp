// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the frame decoder must stay within any datagram and never crash.
#include "CardFrame.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CCardFrameHeader header;
    CVarDataGroup values;
    const CardFrame::ParseResult result = CardFrame::Parse(data, size, header, values);
    if (result == CardFrame::PARSE_OK || result == CardFrame::PARSE_TRUNCATED_ITEMS) {
        // Re-encode what was decoded: the encoder must refuse or fit, never overrun.
        CardFrame::FrameBuffer frame;
        CardFrame::Encode(frame, header, values);
        for (int i = 0; i < values.GetSize(); ++i)
            (void)values.GetAt(i).Get_DWORD();
    }
    return 0;
}
