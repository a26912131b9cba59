// SPDX-License-Identifier: LGPL-2.1-or-later
// Text rendering of values and groups.
#include <LmVarData/VarData.h>
#include <LmVarData/VarDataGroup.h>

#include "Render.h"
#include "VarDataGroupRecord.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Room of the fixed scratch area that a group line is rendered into, terminator included.
constexpr std::size_t kScratchSize = 65535;
constexpr int kGroupLinesShown = 30;

void AppendF(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void AppendF(std::string& out, const char* format, ...)
{
    char local[128];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof local) {
        out.append(local, static_cast<std::size_t>(n));
    } else {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(&out[start], static_cast<std::size_t>(n) + 1, format, again);
        out.resize(start + static_cast<std::size_t>(n));
    }
    va_end(again);
}

int CopyOut(const std::string& text, char* buffer)
{
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

} // namespace

namespace lmvardata {

std::string RenderLine(const CVarData& value)
{
    std::string line;
    const int id = static_cast<int>(value.GetID());
    const int length = value.GetLength();
    switch (value.GetType()) {
    case VD_char:
        AppendF(line, "ID=[%d],type=[VD_char],value=[%d],length=[%d]", id,
                static_cast<int>(static_cast<signed char>(value.Get_char())), length);
        break;
    case VD_BYTE:
        AppendF(line, "ID=[%d],type=[VD_BYTE],value=[%u],length=[%d]", id,
                static_cast<unsigned>(value.Get_BYTE()), length);
        break;
    case VD_short:
        AppendF(line, "ID=[%d],type=[VD_short],value=[%d],length=[%d]", id,
                static_cast<int>(value.Get_short()), length);
        break;
    case VD_WORD:
        AppendF(line, "ID=[%d],type=[VD_WORD],value=[%u],length=[%d]", id,
                static_cast<unsigned>(value.Get_WORD()), length);
        break;
    case VD_int:
        AppendF(line, "ID=[%d],type=[VD_int],value=[%d],length=[%d]", id, value.Get_int(), length);
        break;
    case VD_UINT:
        AppendF(line, "ID=[%d],type=[VD_UINT],value=[%u],length=[%d]", id, value.Get_UINT(),
                length);
        break;
    case VD_long:
        AppendF(line, "ID=[%d],type=[VD_long],value=[%ld],length=[%d]", id, value.Get_long(),
                length);
        break;
    case VD_DWORD:
        // Printed as a signed 32-bit number, so all bits set shows as -1.
        AppendF(line, "ID=[%d],type=[VD_DWORD],value=[%ld],length=[%d]", id,
                static_cast<long>(value.Get_int()), length);
        break;
    case VD_float:
        AppendF(line, "ID=[%d],type=[VD_float],value=[%.4f],length=[%d]", id,
                static_cast<double>(value.Get_float()), length);
        break;
    case VD_double:
        AppendF(line, "ID=[%d],type=[VD_double],value=[%.4f],length=[%d]", id, value.Get_double(),
                length);
        break;
    case VD_string:
        AppendF(line, "ID=[%d],type=[VD_string],value=[", id);
        line += value.Get_string();
        AppendF(line, "],length=[%d]", length);
        break;
    case VD_Buffer: {
        AppendF(line, "ID=[%d],type=[VD_Buffer],length=[%d],buf=[", id, length);
        const auto* bytes = reinterpret_cast<const unsigned char*>(value.Get_string());
        const int shown = length < 20 ? length : 20;
        for (int i = 0; i < shown; ++i)
            AppendF(line, "%02x ", static_cast<unsigned>(bytes[i]));
        if (length > 20)
            line += "...";
        line += ']';
        break;
    }
    case VD_empty:
        line = "not init data ";
        break;
    default:
        line = "invalid data type";
        break;
    }
    return line;
}

} // namespace lmvardata

namespace {

std::string RenderGroup(const CVarDataGroupRecord& r)
{
    std::string text;
    const int n = r.Size();
    if (n >= kGroupLinesShown)
        AppendF(text, "nSize=[%d]，数据太多，只显示前30笔\r\n", n);
    else
        AppendF(text, "nSize=[%d]\r\n", n);
    const int shown = n < kGroupLinesShown ? n : kGroupLinesShown;
    for (int i = 0; i < shown; ++i) {
        std::string line = lmvardata::RenderLine(*r.m_arrElements[i]);
        // A line is rendered into a fixed scratch area: what does not fit is cut off.
        if (line.size() > kScratchSize - 1)
            line.resize(kScratchSize - 1);
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace

int CVarData::Format(char* buffer) const
{
    if (!buffer)
        return -1;
    return CopyOut(lmvardata::RenderLine(*this), buffer);
}

void CVarData::Trace() const
{
    // Rendered for its side effects only: there is no trace sink in this library.
    (void)lmvardata::RenderLine(*this);
}

int CVarDataGroup::Format(char* buffer) const
{
    return CopyOut(RenderGroup(*m_pData), buffer);
}

void CVarDataGroup::Trace() const
{
    (void)RenderGroup(*m_pData);
}
