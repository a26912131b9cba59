// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise-cli decode: one frame from a file or standard input, described line by line.
#pragma once

#include "CliArguments.h"

#include <QByteArray>
#include <QString>

// Reads hexadecimal text: pairs of digits, optionally 0x-prefixed, separated by blanks, commas
// or colons. False with a message for anything else.
bool ParseHexText(const QByteArray& strText, QByteArray& strBytes, QString& strError);

// Prints "Frame of 58 bytes: set request (broadcast form), CommandId 0x1002", the header lines,
// an empty line and the item lines (CardFrame::DescribeHeader and DescribeItems), control
// characters escaped as TerminalText does. Exit code 0 for a whole frame, 2 for one that is
// not (wrong sync header, cut off), with what could be read printed and the reason on
// standard error.
int RunDecode(const SCliOptions& options);
