// SPDX-License-Identifier: GPL-3.0-or-later
// Command lines as test cases: the programs' argument parsers are tested with tables of
// refused command lines, each with a part of the message it must give. Header only, for the
// GoogleTest suites.
#pragma once

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

struct CRejectCase
{
    const char* pszArgs;    // blank-separated; '_' stands for a blank inside an argument
    const char* pszMessage; // a part of the message
};

inline void PrintTo(const CRejectCase& c, std::ostream* pStream)
{
    *pStream << '"' << c.pszArgs << '"';
}

// The arguments of a case as the parser receives them.
inline QStringList SplitArgs(const char* pszArgs)
{
    QStringList arrArgs = QString::fromUtf8(pszArgs).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& strArg : arrArgs)
        strArg.replace(QLatin1Char('_'), QLatin1Char(' '));
    return arrArgs;
}

// The arguments as a test name: "set --password x" of case 3 gives "3_set_password_x".
inline std::string RejectCaseName(const ::testing::TestParamInfo<CRejectCase>& info)
{
    std::string strName;
    for (const char* p = info.param.pszArgs; *p; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p)))
            strName += *p;
        else if (!strName.empty() && strName.back() != '_')
            strName += '_';
    }
    return std::to_string(info.index) + '_' + (strName.empty() ? "nothing" : strName);
}

// Expects fnParse(arguments, strError) to refuse the case with a message containing its part.
template <typename Parse> void ExpectRejected(const CRejectCase& c, Parse fnParse)
{
    QString strError;
    EXPECT_FALSE(fnParse(SplitArgs(c.pszArgs), strError));
    EXPECT_TRUE(strError.contains(QString::fromUtf8(c.pszMessage))) << strError.toStdString();
}
