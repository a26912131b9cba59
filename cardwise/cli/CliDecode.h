// cardwise-cli decode: one frame from a file or standard input, traced as the socket traces it.
#pragma once

#include "CliArguments.h"

#include <QByteArray>
#include <QString>

// Reads hexadecimal text: pairs of digits, optionally 0x-prefixed, separated by blanks, commas
// or colons. False with a message for anything else.
bool ParseHexText(const QByteArray& strText, QByteArray& bytes, QString& strError);

// The header lines and the decoded group of one frame; exit code 0 for a whole frame, 2 for
// one that is not (wrong sync header, cut off), with what could be read printed.
int RunDecode(const SCliOptions& options);
