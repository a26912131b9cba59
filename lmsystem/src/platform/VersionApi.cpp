// SPDX-License-Identifier: LGPL-2.1-or-later
// The version operations' tables and the one the reader calls.
#include "platform/VersionApi.h"

#include "platform/PortableVersion.h"

#include <atomic>

namespace lmsys {

namespace {

std::atomic<const VersionApi*> g_pActiveApi{nullptr};

} // namespace

const VersionApi& PortableVersionApi()
{
    static const VersionApi api = {&portable::GetModuleFileNameA,
                                   &portable::GetFileVersionInfoSizeA,
                                   &portable::GetFileVersionInfoA, &portable::VerQueryValueA};
    return api;
}

const VersionApi& SystemVersionApi()
{
#if defined(_WIN32)
    static const VersionApi api = {&::GetModuleFileNameA, &::GetFileVersionInfoSizeA,
                                   &::GetFileVersionInfoA, &::VerQueryValueA};
    return api;
#else
    return PortableVersionApi();
#endif
}

const VersionApi& ActiveVersionApi()
{
    const VersionApi* api = g_pActiveApi.load();
    return api != nullptr ? *api : SystemVersionApi();
}

void SetActiveVersionApi(const VersionApi* api)
{
    g_pActiveApi.store(api);
}

} // namespace lmsys
