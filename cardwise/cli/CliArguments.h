// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of cardwise-cli: subcommands, options, NAME=VALUE edits.
#pragma once

#include "ProgramOptions.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

enum ECliCommand
{
    CLI_HELP,
    CLI_SEARCH,
    CLI_PARAMS,
    CLI_SET,
    CLI_APPLY,
    CLI_DECODE
};
enum ECliFormat
{
    FORMAT_TEXT,
    FORMAT_JSON,
    FORMAT_CSV
};

struct SParamEdit
{
    unsigned int nSetId; // identifier the value is sent under
    QString strName;     // as given on the command line, for messages
    QString strValue;
};

struct SCliOptions
{
    ECliCommand nCommand = CLI_HELP;
    ECliFormat nFormat = FORMAT_TEXT;
    int nTraceLevel = -1;                        // -1: as the environment says
    std::optional<CardwiseCore::SSubnet> subnet; // none: Local scope
    std::optional<CardwiseCore::SRange> range;   // a range sweep instead
    int nRate = CardwiseCore::RATE_DEFAULT;      // requests per second of the sweep
    int nWaitMs = 0;
    int nRounds = 1; // sweeps of one search, the list merged
    QString strMac;  // normalised: upper case, hyphens
    QString strPassword;
    bool bPasswordGiven = false; // --password, even an empty one
    QString strPasswordFile;     // --password-file: the password is its first line
    bool bDryRun = false;        // apply: check and show, send nothing but the search
    bool bNoRestart = false;
    bool bWaitRestart = false;
    std::vector<SParamEdit> arrEdits;
    bool bHex = false;
    QString strFile; // decode: "-" or empty for standard input; apply: the plan
    // search --compare: the saved list; empty: no comparison
    QString strCompareFile;
};

// Parses the arguments after the program name. On failure returns false and a message that
// names the offending argument.
bool ParseCliArguments(const QStringList& arrArgs, SCliOptions& options, QString& strError);

// The text of --help.
QString CliUsage();
