// SPDX-License-Identifier: GPL-3.0-or-later
// TranslateWindow: the widget part of the LmLang stand-in, kept apart so LmLang needs no GUI.
#pragma once

class QWidget;

// Replaces the window title of the widget and the texts of its labels, buttons (push, check,
// radio) and group boxes, itself and all descendants, by GetTranslateText of each. Returns 1,
// or 0 for a null widget.
int TranslateWindow(QWidget* window);
