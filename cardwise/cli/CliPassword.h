// SPDX-License-Identifier: GPL-3.0-or-later
// The cards' password for set and apply, from wherever the user put it; never printed.
#pragma once

#include "CliArguments.h"

#include <QString>

#include <optional>

// In this order: --password, the first line of --password-file, CARDWISE_PASSWORD, a prompt
// without echo when standard input is a terminal. Nothing, with the reason in strError, when
// no source gives one.
std::optional<QString> ReadPassword(const SCliOptions& options, QString& strError);
