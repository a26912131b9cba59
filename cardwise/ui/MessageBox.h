// SPDX-License-Identifier: GPL-3.0-or-later
// The window side of the engine's message-box sink: a modal QMessageBox with one OK button.
#pragma once

#include "MessageSink.h"

class QWidget;

// Shows text with caption and icon over parent (may be null) and waits until it is closed.
void ShowMessageBox(QWidget* pParent, const QString& strText, const QString& strCaption,
                    EMsgIcon nIcon);

// A sink that shows its boxes over pParent, or without a parent once pParent is gone.
MessageBoxSink WidgetMessageBoxSink(QWidget* pParent);
