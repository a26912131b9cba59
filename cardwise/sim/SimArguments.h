// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of cardwise-sim: its options, and the cards and endpoint they ask for.
#pragma once

#include "CardSimulator.h"
#include "SimCard.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct SSimArguments
{
    bool bHelp = false;
    bool bVersion = false;
    int nTraceLevel = -1;   // -1: as CARDWISE_TRACE says
    int nCards = 1;         // generated cards, when there is no --config
    QString strConfig;      // --config FILE
    QString strBind;        // empty: the file's, else CCardSimulator's default
    unsigned int nPort = 0; // 0: the file's, else CCardSimulator's default
    // --first-address: the cards' consecutive addresses from this one (first number in the
    // most significant byte); each card then answers only what reaches its address.
    std::optional<std::uint32_t> dwFirstAddress;
    // Restart time, jitter and seed; LoadSimSetup adds the endpoint.
    CCardSimulator::COptions simulator;
};

// Parses the arguments after the program name. On failure returns false and a message that
// names the offending option.
bool ParseSimArguments(const QStringList& arrArgs, SSimArguments& args, QString& strError);

// The text of --help.
QString SimUsage();

// The cards and the endpoint that the arguments ask for: the configuration file's cards or
// nCards generated ones; --bind and --port win over the file's "bind" and "port";
// --first-address gives the cards their addresses in turn. On failure returns false and a
// message that names the file or the option.
bool LoadSimSetup(const SSimArguments& args, std::vector<CSimCard>& arrCards,
                  CCardSimulator::COptions& options, QString& strError);
