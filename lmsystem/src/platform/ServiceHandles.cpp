// SPDX-License-Identifier: LGPL-2.1-or-later
// The handles of the service manager and of services that the systemd layer gives out: a table
// of live objects, so that a stale or foreign handle is refused instead of followed.
#include "platform/ServiceHandles.h"

#include <mutex>
#include <set>

namespace lmsys::systemd {

namespace {

struct ScObject
{
    bool bManager;
    std::string strName; // the service's; empty for the manager
};

struct ScObjects
{
    std::mutex mutex;
    std::set<ScObject*> live;
};

// Never destroyed: a thread may still close a handle while the process exits.
ScObjects& Objects()
{
    static ScObjects* objects = new ScObjects;
    return *objects;
}

} // namespace

void* NewHandle(bool manager, const std::string& name)
{
    auto* object = new ScObject{manager, name};
    ScObjects& objects = Objects();
    std::lock_guard<std::mutex> lock(objects.mutex);
    objects.live.insert(object);
    return object;
}

bool LookupHandle(void* handle, bool manager, std::string* name)
{
    ScObjects& objects = Objects();
    std::lock_guard<std::mutex> lock(objects.mutex);
    const auto it = objects.live.find(static_cast<ScObject*>(handle));
    if (it == objects.live.end() || (*it)->bManager != manager)
        return false;
    if (name != nullptr)
        *name = (*it)->strName;
    return true;
}

bool ReleaseHandle(void* handle)
{
    ScObjects& objects = Objects();
    std::lock_guard<std::mutex> lock(objects.mutex);
    const auto it = objects.live.find(static_cast<ScObject*>(handle));
    if (it == objects.live.end())
        return false;
    delete *it;
    objects.live.erase(it);
    return true;
}

} // namespace lmsys::systemd
