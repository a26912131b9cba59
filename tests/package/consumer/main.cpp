// SPDX-License-Identifier: GPL-3.0-or-later
// Uses both installed libraries: LmSystem reads the version block of a program, LmVarData
// keeps it in a group; prints the product version.
#include <LmSystem/FileVersion.h>
#include <LmVarData/VarDataGroup.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer PROGRAM\n");
        return 2;
    }
    CLMFileVersion version;
    if (version.Open(argv[1]) != 1) {
        std::fprintf(stderr, "consumer: %s has no version block\n", argv[1]);
        return 1;
    }
    CVarDataGroup group;
    group.Add(version.GetProductVersion(), 1);
    std::printf("%s\n", group[1].Get_string());
    return 0;
}
