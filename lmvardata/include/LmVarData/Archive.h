// SPDX-License-Identifier: LGPL-2.1-or-later
// CArchive: a byte stream opened for storing or for loading, over memory or a std::iostream.
#pragma once

#include <LmVarData/LmVarDataExport.h>

#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <vector>

// Raised by CArchive::EnsureRead when the stream holds fewer bytes than asked for
// (endOfFile), by a write that the stream refused (genericException), and by a read or
// write against the archive's mode (writeOnly, readOnly).
class LMVARDATA_EXPORT CArchiveException : public std::runtime_error
{
public:
    enum Cause
    {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4
    };

    explicit CArchiveException(int cause);

    int m_cause;
};

class LMVARDATA_EXPORT CArchive
{
public:
    enum Mode
    {
        store = 0,
        load = 1
    };

    // Over memory: storing appends to buffer; loading reads it from its first byte.
    CArchive(std::vector<unsigned char>& buffer, Mode mode);
    // Over a stream: storing writes at its put position; loading reads from its get position.
    CArchive(std::iostream& stream, Mode mode);
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // Writes count bytes; throws CArchiveException(readOnly) when loading, and
    // CArchiveException(genericException) when the stream refuses the bytes.
    void Write(const void* data, std::size_t count);
    // Reads up to count bytes and returns how many were read; 0 at the end of the stream.
    // Throws CArchiveException(writeOnly) when storing.
    std::size_t Read(void* data, std::size_t count);
    // Reads exactly count bytes, or throws CArchiveException(endOfFile) after reading what is
    // there.
    void EnsureRead(void* data, std::size_t count);

private:
    Mode m_mode;
    std::vector<unsigned char>* m_pBuffer;
    std::size_t m_nPos;
    std::iostream* m_pStream;
};
