// SPDX-License-Identifier: LGPL-2.1-or-later
// CLMFileVersion: reads a module's version resource and answers its versions, name and copyright.
#pragma once

#include <LmSystem/LmSystemExport.h>

struct CLMFileVersionState;

// A reader is empty (no version block) or loaded (the block of the file opened last and its
// first translation). Each Get operation answers from the block, loading the running program's
// own block first when none is held, and returns the empty text when the answer can't be had.
// A reader is used by one thread at a time; two readers share nothing.
class LMSYSTEM_EXPORT CLMFileVersion
{
public:
    // Empty reader with an empty answer text.
    CLMFileVersion();
    // Deep copy: block, translation and answer text.
    CLMFileVersion(const CLMFileVersion& other);
    ~CLMFileVersion();

    // Deep copy: the two readers own separate blocks and answers; self-assignment keeps all.
    CLMFileVersion& operator=(const CLMFileVersion& other);

    // Loads the version block of `path`, or of the running program's executable when `path` is
    // null. 1 on success; 0 on failure, leaving the reader unchanged when the file has no
    // version block and empty when the block was found but can't be read or has no translation.
    int Open(const char* path);

    // "major.minor.build.revision" of the fixed file version.
    const char* GetFileVersion();
    // "major.minor.build.revision" of the fixed product version.
    const char* GetProductVersion();
    // String value "ProductName" of the first translation.
    const char* GetProductName();
    // String value "LegalCopyright" of the first translation.
    const char* GetLegalCopyright();
    // Each Get replaces the answer text: the pointer stays valid until the next Get or the
    // reader's destruction.

private:
    CLMFileVersionState* m_pState;
    char* m_pszAnswer;
};
