// SPDX-License-Identifier: LGPL-2.1-or-later
// Uses the installed library: adds a value to a group and reads it back.
#include <LmVarData/VarDataGroup.h>

#include <cstdio>
#include <cstring>

int main()
{
    CVarDataGroup group;
    group.Add("consumer", 42);
    const CVarData& value = group[42];
    if (group.GetSize() != 1 || value.GetType() != VD_string ||
        std::strcmp(value.Get_string(), "consumer") != 0) {
        std::fprintf(stderr, "unexpected group content\n");
        return 1;
    }
    std::puts("ok");
    return 0;
}
