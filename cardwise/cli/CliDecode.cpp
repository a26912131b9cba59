// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise-cli decode: one frame from a file or standard input, described line by line.
#include "CliDecode.h"

#include "CardFrame.h"
#include "CliOutput.h"
#include "CliSession.h"
#include "CoreText.h"

#include <QFile>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Larger than any UDP datagram; a bigger input is no frame.
constexpr qint64 INPUT_MAX = qint64{1024} * 1024;
// The input is not a whole frame.
constexpr int EXIT_NOT_A_FRAME = 2;

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

bool IsSeparator(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == ',' || ch == ':';
}

} // namespace

bool ParseHexText(const QByteArray& strText, QByteArray& strBytes, QString& strError)
{
    strBytes.clear();
    const qsizetype nSize = strText.size();
    qsizetype i = 0;
    while (i < nSize) {
        if (IsSeparator(strText[i])) {
            ++i;
            continue;
        }
        if (strText[i] == '0' && i + 1 < nSize && (strText[i + 1] == 'x' || strText[i + 1] == 'X'))
            i += 2;
        const int nHigh = i < nSize ? HexDigit(strText[i]) : -1;
        const int nLow = i + 1 < nSize ? HexDigit(strText[i + 1]) : -1;
        if (nHigh < 0 || nLow < 0) {
            strError = QStringLiteral("not a pair of hexadecimal digits at offset %1").arg(i);
            return false;
        }
        strBytes.append(static_cast<char>(nHigh << 4 | nLow));
        i += 2;
    }
    return true;
}

int RunDecode(const SCliOptions& options)
{
    QFile file;
    bool bOpen = false;
    if (options.strFile.isEmpty() || options.strFile == QLatin1String("-"))
        bOpen = file.open(stdin, QIODevice::ReadOnly);
    else {
        file.setFileName(options.strFile);
        bOpen = file.open(QIODevice::ReadOnly);
    }
    if (!bOpen) {
        std::fprintf(stderr, "cardwise-cli: cannot read %s: %s\n",
                     options.strFile.toLocal8Bit().constData(),
                     file.errorString().toLocal8Bit().constData());
        return EXIT_USAGE;
    }
    QByteArray strInput = file.read(INPUT_MAX + 1);
    if (strInput.size() > INPUT_MAX) {
        std::fprintf(stderr, "cardwise-cli: the input is larger than %lld bytes\n",
                     static_cast<long long>(INPUT_MAX));
        return EXIT_USAGE;
    }
    if (options.bHex) {
        QByteArray strBytes;
        QString strError;
        if (!ParseHexText(strInput, strBytes, strError)) {
            std::fprintf(stderr, "cardwise-cli: %s\n", strError.toUtf8().constData());
            return EXIT_USAGE;
        }
        strInput = strBytes;
    }

    const auto* pBytes = reinterpret_cast<const unsigned char*>(strInput.constData());
    CCardFrameHeader header;
    CVarDataGroup values;
    const CardFrame::ParseResult nResult =
        CardFrame::Parse(pBytes, static_cast<std::size_t>(strInput.size()), header, values);
    const bool bHeaderRead =
        nResult != CardFrame::PARSE_BAD_SYNC && nResult != CardFrame::PARSE_TRUNCATED_HEADER;

    std::printf("Frame of %lld bytes", static_cast<long long>(strInput.size()));
    if (bHeaderRead)
        std::printf(": %s, CommandId 0x%04X", CardFrame::CommandText(header.CommandId),
                    header.CommandId);
    std::putchar('\n');
    if (bHeaderRead) {
        std::vector<std::string> arrLines = CardFrame::DescribeHeader(header);
        arrLines.emplace_back();
        const std::vector<std::string> arrItems = CardFrame::DescribeItems(values);
        arrLines.insert(arrLines.end(), arrItems.begin(), arrItems.end());
        // Texts of the frame are the sender's bytes: shown as the parameter list shows them.
        for (const std::string& strLine : arrLines) {
            const QString strText =
                CardwiseCore::CardText(strLine.data(), static_cast<int>(strLine.size()));
            std::printf("%s\n", TerminalText(strText).toUtf8().constData());
        }
    }
    std::fflush(stdout);

    if (nResult != CardFrame::PARSE_OK) {
        std::fprintf(stderr, "cardwise-cli: %s\n", CardFrame::ParseResultText(nResult));
        return EXIT_NOT_A_FRAME;
    }
    return EXIT_OK;
}
