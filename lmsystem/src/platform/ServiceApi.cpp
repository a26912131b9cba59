// SPDX-License-Identifier: LGPL-2.1-or-later
// The table of service operations the wrapper calls.
#include "platform/ServiceApi.h"

#include <atomic>

namespace lmsys {

namespace {

std::atomic<const ServiceApi*> g_pActiveApi{nullptr};

} // namespace

const ServiceApi& ActiveServiceApi()
{
    const ServiceApi* api = g_pActiveApi.load();
    return api != nullptr ? *api : SystemServiceApi();
}

void SetActiveServiceApi(const ServiceApi* api)
{
    g_pActiveApi.store(api);
}

} // namespace lmsys
