// SPDX-License-Identifier: GPL-3.0-or-later
// LmLang stand-in: loads a language catalogue and translates interface texts (Qt Core only).
#pragma once

#include <string>

// Loads the catalogue of a language: "Lang%04x" of a Windows language id, or "default" for
// the untranslated texts. The flag is accepted for compatibility and not used. Returns 1
// when the language is in effect, 0 when no such catalogue exists (the previous language
// then stays in effect).
int SetLocalLang(const char* name, int flag);

// The display text of a source text in the current language, or the source text itself when
// the catalogue has no translation. Never null, also before any language is loaded; the text
// stays valid and unchanged for the life of the process. A null text gives "".
const char* GetTranslateText(const char* text);

// The name of the language in effect ("default" when none is loaded).
std::string GetLocalLang();

// "Lang%04x" of the Windows language id of a locale name such as "zh_CN" or "en_US"; a locale
// whose country is not listed falls back to its language's main id; "default" when neither is
// known.
std::string LangNameForLocale(const std::string& locale);

// The language to load: CARDWISE_LANG when set ("Lang0804", "default" or a locale name such
// as "zh_CN"), else the name for the system locale.
std::string GetSystemLangName();
