// SPDX-License-Identifier: GPL-3.0-or-later
// Card texts as files and terminals take them: JSON string literals, CSV fields, escapes.
#pragma once

#include <QString>

// A JSON string literal; control characters (C0, DEL, C1) escaped as \uXXXX.
QString JsonString(const QString& strText);
// A card's text as the terminal may show it: control characters (C0, DEL, C1) written as
// \x1b, so that no card can clear the screen or retitle the window.
QString TerminalText(const QString& strText);
// One CSV field: TerminalText (so no line break stays raw), quoted when it holds a comma or
// a quote.
QString CsvField(const QString& strCell);
