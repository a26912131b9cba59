// SPDX-License-Identifier: LGPL-2.1-or-later
// CLMFileVersion: reads a module's version resource and answers its versions, name and copyright.
#include <LmSystem/FileVersion.h>

#include "platform/VersionApi.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

using lmsys::ActiveVersionApi;
using lmsys::DWORD;
using lmsys::UINT;
using lmsys::VS_FIXEDFILEINFO;

struct CLMFileVersionState
{
    std::unique_ptr<unsigned char[]> pBlock; // null while empty
    DWORD dwBlockSize = 0;
    DWORD dwTranslation = 0; // language id << 16 | code page

    void Clear()
    {
        pBlock.reset();
        dwBlockSize = 0;
        dwTranslation = 0;
    }
};

namespace {

// The kernel's classic path limit; longer paths get a larger buffer instead of a cut one.
constexpr DWORD kMaxPath = 260;
constexpr DWORD kMaxLongPath = 32768;

char* CopyText(const char* text)
{
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

// Full path of the running program, or empty.
std::string RunningProgramPath()
{
    for (DWORD size = kMaxPath; size <= kMaxLongPath; size *= 2) {
        std::unique_ptr<char[]> buffer(new char[size]);
        const DWORD length = ActiveVersionApi().GetModuleFileNameA(nullptr, buffer.get(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(buffer.get(), length);
        // A cut path may name another file: ask again with room for the whole path.
    }
    return {};
}

std::string FormatVersion(DWORD ms, DWORD ls)
{
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(ms >> 16),
                  static_cast<unsigned>(ms & 0xFFFF), static_cast<unsigned>(ls >> 16),
                  static_cast<unsigned>(ls & 0xFFFF));
    return text;
}

// The fixed information's file or product version, or empty.
std::string FixedVersion(const CLMFileVersionState& state, bool product)
{
    void* value = nullptr;
    UINT length = 0;
    if (!ActiveVersionApi().VerQueryValueA(state.pBlock.get(), "\\", &value, &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return {};
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, value, sizeof info);
    return product ? FormatVersion(info.dwProductVersionMS, info.dwProductVersionLS)
                   : FormatVersion(info.dwFileVersionMS, info.dwFileVersionLS);
}

// A string value of the first translation, or empty.
std::string StringValue(const CLMFileVersionState& state, const char* name)
{
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s",
                  static_cast<unsigned long>(state.dwTranslation), name);
    void* value = nullptr;
    UINT length = 0;
    if (!ActiveVersionApi().VerQueryValueA(state.pBlock.get(), path, &value, &length))
        return {};
    // Text values are terminated; an empty one may point anywhere.
    return length == 0 ? std::string() : std::string(static_cast<const char*>(value));
}

// Replaces the answer text with `text` and gives the new answer's characters.
const char* ReplaceAnswer(char*& answer, const std::string& text)
{
    char* copy = CopyText(text.c_str());
    delete[] answer;
    answer = copy;
    return answer;
}

} // namespace

CLMFileVersion::CLMFileVersion() : m_pState(new CLMFileVersionState), m_pszAnswer(CopyText("")) {}

CLMFileVersion::CLMFileVersion(const CLMFileVersion& other)
    : m_pState(new CLMFileVersionState), m_pszAnswer(CopyText(""))
{
    *this = other;
}

CLMFileVersion::~CLMFileVersion()
{
    delete m_pState;
    delete[] m_pszAnswer;
}

CLMFileVersion& CLMFileVersion::operator=(const CLMFileVersion& other)
{
    if (this == &other)
        return *this;
    std::unique_ptr<unsigned char[]> block;
    if (other.m_pState->pBlock) {
        block.reset(new unsigned char[other.m_pState->dwBlockSize]);
        std::memcpy(block.get(), other.m_pState->pBlock.get(), other.m_pState->dwBlockSize);
    }
    char* answer = CopyText(other.m_pszAnswer);
    m_pState->pBlock = std::move(block);
    m_pState->dwBlockSize = other.m_pState->dwBlockSize;
    m_pState->dwTranslation = other.m_pState->dwTranslation;
    delete[] m_pszAnswer;
    m_pszAnswer = answer;
    return *this;
}

int CLMFileVersion::Open(const char* path)
{
    const lmsys::VersionApi& api = ActiveVersionApi();
    std::string programPath;
    if (path == nullptr) {
        programPath = RunningProgramPath();
        if (programPath.empty())
            return 0;
        path = programPath.c_str();
    }

    DWORD handle = 0;
    const DWORD size = api.GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return 0;
    std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size]);
    if (!block)
        return 0;
    CLMFileVersionState& state = *m_pState;
    state.pBlock = std::move(block); // releases the block held before
    state.dwBlockSize = size;

    void* value = nullptr;
    UINT length = 0;
    if (!api.GetFileVersionInfoA(path, handle, size, state.pBlock.get()) ||
        !api.VerQueryValueA(state.pBlock.get(), "\\VarFileInfo\\Translation", &value, &length) ||
        length < 4) {
        state.Clear();
        return 0;
    }
    unsigned short entry[2]; // language id, code page
    std::memcpy(entry, value, sizeof entry);
    state.dwTranslation = static_cast<DWORD>(entry[0]) << 16 | entry[1];
    return 1;
}

const char* CLMFileVersion::GetFileVersion()
{
    const bool loaded = m_pState->pBlock || Open(nullptr);
    return ReplaceAnswer(m_pszAnswer, loaded ? FixedVersion(*m_pState, false) : std::string());
}

const char* CLMFileVersion::GetProductVersion()
{
    const bool loaded = m_pState->pBlock || Open(nullptr);
    return ReplaceAnswer(m_pszAnswer, loaded ? FixedVersion(*m_pState, true) : std::string());
}

const char* CLMFileVersion::GetProductName()
{
    const bool loaded = m_pState->pBlock || Open(nullptr);
    return ReplaceAnswer(m_pszAnswer,
                         loaded ? StringValue(*m_pState, "ProductName") : std::string());
}

const char* CLMFileVersion::GetLegalCopyright()
{
    const bool loaded = m_pState->pBlock || Open(nullptr);
    return ReplaceAnswer(m_pszAnswer,
                         loaded ? StringValue(*m_pState, "LegalCopyright") : std::string());
}
