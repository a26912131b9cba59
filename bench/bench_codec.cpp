// SPDX-License-Identifier: GPL-3.0-or-later
// Card frame codec: device-information replies decoded into groups (a search of a few
// thousand cards must not fall behind the network), and requests built.
#include "CardFrame.h"

#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

using namespace CardProtocol;

namespace {

// A realistic reply: the sixteen items a card sends, integers as BYTE, WORD and DWORD, texts
// as Buffers, the 48-byte device identifier.
std::vector<unsigned char> DeviceInfoFrame(unsigned int card)
{
    const unsigned char mac[MAC_SIZE] = {0x00,
                                         0x1A,
                                         0x2B,
                                         0x00,
                                         static_cast<unsigned char>(card >> 8),
                                         static_cast<unsigned char>(card)};
    const unsigned char id[DEVICE_ID_SIZE] = "4c454d4f-4e53-4000-8000-001a2b000001";
    CVarDataGroup items;
    items.Add(mac, MAC_SIZE, INFO_MAC);
    const std::uint32_t ip = 0x0A01A8C0u + (card << 24);
    items.Add(static_cast<unsigned long>(ip), INFO_IP);
    items.Add(static_cast<unsigned long>(0x00FFFFFFu), INFO_MASK);
    items.Add(static_cast<unsigned long>(0x0101A8C0u), INFO_GATEWAY);
    items.Add(static_cast<unsigned char>(2), INFO_HW_VERSION);
    items.Add(static_cast<unsigned short>(215), INFO_FW_VERSION);
    items.Add(static_cast<char>(0), INFO_DHCP);
    items.Add(static_cast<char>(1), INFO_GRIDMON_ENABLE);
    items.Add(reinterpret_cast<const unsigned char*>("KOVAL-WERK"), 10, INFO_GRIDMON_PASSWORD);
    items.Add(static_cast<unsigned long>(1), INFO_HTTP_ENABLE);
    items.Add(reinterpret_cast<const unsigned char*>("admin"), 5, INFO_ADMIN_PASSWORD);
    items.Add(static_cast<unsigned short>(80), INFO_HTTP_PORT);
    items.Add(static_cast<unsigned long>(1), INFO_SNMP_ENABLE);
    items.Add(1, INFO_TELNET_ENABLE);
    items.Add(static_cast<unsigned int>(23), INFO_TELNET_PORT);
    items.Add(id, DEVICE_ID_SIZE, INFO_DEVICE_ID);

    CCardFrameHeader header;
    header.CommandId = CMD_DEVICE_INFO_BROADCAST;
    std::memcpy(header.MAC, mac, MAC_SIZE);
    CardFrame::FrameBuffer frame;
    const int length = CardFrame::Encode(frame, header, items);
    return std::vector<unsigned char>(frame, frame + length);
}

std::vector<std::vector<unsigned char>> Fleet()
{
    std::vector<std::vector<unsigned char>> frames;
    for (unsigned int card = 1; card <= 64; ++card)
        frames.push_back(DeviceInfoFrame(card));
    return frames;
}

// One group reused for every frame.
void BM_DecodeDeviceInfoIntoOneGroup(benchmark::State& state)
{
    const auto frames = Fleet();
    CCardFrameHeader header;
    CVarDataGroup group;
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& frame = frames[next++ % frames.size()];
        benchmark::DoNotOptimize(CardFrame::Parse(frame.data(), frame.size(), header, group));
        benchmark::DoNotOptimize(group.GetSize());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frames[0].size()));
}
BENCHMARK(BM_DecodeDeviceInfoIntoOneGroup);

// A fresh group per frame, as the device socket receives.
void BM_DecodeDeviceInfoIntoFreshGroup(benchmark::State& state)
{
    const auto frames = Fleet();
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& frame = frames[next++ % frames.size()];
        CCardFrameHeader header;
        CVarDataGroup group;
        benchmark::DoNotOptimize(CardFrame::Parse(frame.data(), frame.size(), header, group));
        benchmark::DoNotOptimize(group.GetSize());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_DecodeDeviceInfoIntoFreshGroup);

void BM_BuildSetRequest(benchmark::State& state)
{
    CVarDataGroup values;
    values.Add(static_cast<unsigned long>(0x6401A8C0u), SET_IP);
    values.Add(static_cast<unsigned long>(0x00FFFFFFu), SET_MASK);
    values.Add(static_cast<unsigned long>(0x0101A8C0u), SET_GATEWAY);
    values.Add(static_cast<char>(0), SET_DHCP);
    values.Add("KOVAL-WERK", SET_GRIDMON_PASSWORD);
    values.Add(static_cast<unsigned long>(80), SET_HTTP_PORT);
    values.Add(static_cast<char>(1), SET_RESTART);
    const unsigned char mac[MAC_SIZE] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    const std::tm now{};
    CardFrame::FrameBuffer frame;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            CardFrame::BuildSetRequest(frame, true, now, "lemon", mac, values));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_BuildSetRequest);

} // namespace

BENCHMARK_MAIN();
