// SPDX-License-Identifier: GPL-3.0-or-later
// Isolation check through if_nameindex, which lists every interface whatever its state.
#include "NetworkIsolation.h"

#include <net/if.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace NetworkIsolation {

std::vector<std::string> InterfaceNames()
{
    std::vector<std::string> names;
    struct if_nameindex* list = ::if_nameindex();
    if (!list)
        return {"<interfaces unreadable>"};
    for (struct if_nameindex* entry = list; entry->if_index != 0; ++entry)
        names.emplace_back(entry->if_name);
    ::if_freenameindex(list);
    return names;
}

std::string Check(const std::vector<std::string>& allowed)
{
    std::string foreign;
    for (const std::string& name : InterfaceNames()) {
        if (name == "lo" || std::find(allowed.begin(), allowed.end(), name) != allowed.end())
            continue;
        foreign += foreign.empty() ? name : ", " + name;
    }
    if (foreign.empty())
        return {};
    return "not in an isolated network namespace (foreign interfaces: " + foreign + ")";
}

void Require(const char* program, const std::vector<std::string>& allowed)
{
    const std::string problem = Check(allowed);
    if (problem.empty())
        return;
    const char* ci = std::getenv("CI");
    const bool underCi = ci && std::strcmp(ci, "true") == 0;
    std::fprintf(stderr, "%s: refusing to send anything: %s; run it through tools/netns-run\n",
                 program, problem.c_str());
    std::exit(underCi ? 1 : SKIP_EXIT_CODE);
}

} // namespace NetworkIsolation
