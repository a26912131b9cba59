// SPDX-License-Identifier: LGPL-2.1-or-later
// CArchive over a stream: short reads, the end of the stream and the end-of-file error.
#include <LmVarData/Archive.h>

#include <gtest/gtest.h>

#include <sstream>

TEST(CArchiveTest, StreamReadStopsAtEndAndEnsureReadThrows)
{
    std::stringstream stream;
    {
        CArchive out(stream, CArchive::store);
        out.Write("xyz", 3);
    }
    CArchive in(stream, CArchive::load);
    char got[5] = {};
    EXPECT_EQ(in.Read(got, 2), 2u);
    try {
        in.EnsureRead(got, 4);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    EXPECT_EQ(got[0], 'z'); // what was there has been read
    EXPECT_EQ(in.Read(got, 5), 0u);
}
