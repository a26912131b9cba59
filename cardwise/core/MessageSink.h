// SPDX-License-Identifier: GPL-3.0-or-later
// How the core asks for a message box: the window shows one, the CLI prints, tests record.
#pragma once

#include <QString>

#include <functional>

enum EMsgIcon
{
    MSG_ICON_NONE,
    MSG_ICON_STOP,
    MSG_ICON_INFORMATION
};

// Text, caption, icon; the box has one OK button and blocks until it is closed.
using MessageBoxSink =
    std::function<void(const QString& strText, const QString& strCaption, EMsgIcon nIcon)>;
