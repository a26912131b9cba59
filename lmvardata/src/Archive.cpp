// SPDX-License-Identifier: LGPL-2.1-or-later
// CArchive: storing appends bytes, loading consumes them; nothing is added around them.
#include <LmVarData/Archive.h>

#include <cstring>
#include <istream>
#include <ostream>

namespace {

const char* CauseText(int cause)
{
    switch (cause) {
    case CArchiveException::endOfFile:
        return "archive: end of file";
    case CArchiveException::readOnly:
        return "archive: write to an archive opened for loading";
    case CArchiveException::writeOnly:
        return "archive: read from an archive opened for storing";
    default:
        return "archive: stream error";
    }
}

} // namespace

CArchiveException::CArchiveException(int cause)
    : std::runtime_error(CauseText(cause)), m_cause(cause)
{
}

CArchive::CArchive(std::vector<unsigned char>& buffer, Mode mode)
    : m_mode(mode), m_pBuffer(&buffer), m_nPos(0), m_pStream(nullptr)
{
}

CArchive::CArchive(std::iostream& stream, Mode mode)
    : m_mode(mode), m_pBuffer(nullptr), m_nPos(0), m_pStream(&stream)
{
}

CArchive::~CArchive()
{
    if (m_pStream && IsStoring())
        m_pStream->flush();
}

void CArchive::Write(const void* data, std::size_t count)
{
    if (!IsStoring())
        throw CArchiveException(CArchiveException::readOnly);
    if (count == 0)
        return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (m_pBuffer) {
        m_pBuffer->insert(m_pBuffer->end(), bytes, bytes + count);
        return;
    }
    m_pStream->write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
    // A lost write must not pass for a stored value.
    if (!*m_pStream)
        throw CArchiveException(CArchiveException::genericException);
}

std::size_t CArchive::Read(void* data, std::size_t count)
{
    if (!IsLoading())
        throw CArchiveException(CArchiveException::writeOnly);
    if (count == 0)
        return 0;
    if (m_pBuffer) {
        const std::size_t available = m_pBuffer->size() - m_nPos;
        const std::size_t n = count < available ? count : available;
        if (n > 0)
            std::memcpy(data, m_pBuffer->data() + m_nPos, n);
        m_nPos += n;
        return n;
    }
    m_pStream->read(static_cast<char*>(data), static_cast<std::streamsize>(count));
    const auto n = static_cast<std::size_t>(m_pStream->gcount());
    // The end of the stream is an ordinary outcome here; later reads keep returning 0.
    if (n < count && m_pStream->eof())
        m_pStream->clear(m_pStream->rdstate() & ~std::ios::failbit);
    return n;
}

void CArchive::EnsureRead(void* data, std::size_t count)
{
    if (Read(data, count) != count)
        throw CArchiveException(CArchiveException::endOfFile);
}
