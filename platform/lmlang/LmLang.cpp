// SPDX-License-Identifier: GPL-3.0-or-later
// LmLang stand-in: Qt Linguist catalogues embedded as resources under :/translations.
#include "LmLang.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

// Every source text of the program lives in this one context of the catalogues.
constexpr char CONTEXT[] = "Cardwise";
constexpr char DEFAULT_LANG[] = "default";

struct LangIdEntry
{
    const char* locale;
    unsigned int id;
};

// Windows language ids; the first entry of a language is its main id.
constexpr LangIdEntry LANG_IDS[] = {
    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"de_DE", 0x0407},
    {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"it_IT", 0x0410}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"ru_RU", 0x0419}, {"ja_JP", 0x0411}, {"ko_KR", 0x0412}, {"nl_NL", 0x0413}, {"pl_PL", 0x0415},
    {"tr_TR", 0x041F},
};

struct LangState
{
    std::mutex mutex;
    std::string name = DEFAULT_LANG;
    std::unique_ptr<QTranslator> translator;
    // Keyed by language and source text; entries are never removed, so the texts handed out
    // stay valid for good (the nodes of an unordered_map do not move).
    std::unordered_map<std::string, std::string> cache;
};

LangState& State()
{
    static LangState state;
    return state;
}

bool IsPlainName(const char* name)
{
    if (!*name)
        return false;
    for (const char* p = name; *p; ++p) {
        const char c = *p;
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

int SetLocalLang(const char* name, int /*flag*/)
{
    if (!name)
        return 0;
    LangState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    QCoreApplication* app = QCoreApplication::instance();

    if (std::string(name) == DEFAULT_LANG) {
        if (state.translator && app)
            QCoreApplication::removeTranslator(state.translator.get());
        state.translator.reset();
        state.name = DEFAULT_LANG;
        return 1;
    }
    // The name becomes part of a resource path; nothing but a plain name may reach it.
    if (!IsPlainName(name))
        return 0;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/translations/%1.qm").arg(QString::fromLatin1(name))))
        return 0;
    if (state.translator && app)
        QCoreApplication::removeTranslator(state.translator.get());
    state.translator = std::move(translator);
    state.name = name;
    if (app)
        QCoreApplication::installTranslator(state.translator.get());
    return 1;
}

const char* GetTranslateText(const char* text)
{
    if (!text)
        text = "";
    LangState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    std::string key = state.name;
    key.push_back('\0');
    key.append(text);
    auto found = state.cache.find(key);
    if (found != state.cache.end())
        return found->second.c_str();

    std::string display = text;
    if (state.translator) {
        const QString translated = state.translator->translate(CONTEXT, text);
        if (!translated.isEmpty())
            display = translated.toStdString();
    }
    return state.cache.emplace(std::move(key), std::move(display)).first->second.c_str();
}

std::string GetLocalLang()
{
    LangState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.name;
}

std::string LangNameForLocale(const std::string& locale)
{
    // "zh_CN.UTF-8" and "zh-CN" name the same locale as "zh_CN".
    std::string name = locale.substr(0, locale.find_first_of(".@"));
    for (char& c : name) {
        if (c == '-')
            c = '_';
    }
    if (name == "C" || name == "POSIX")
        name = "en_US";
    const std::string language = name.substr(0, name.find('_'));
    const LangIdEntry* match = nullptr;
    for (const LangIdEntry& entry : LANG_IDS) {
        if (name == entry.locale) {
            match = &entry;
            break;
        }
        if (!match && language == std::string(entry.locale).substr(0, 2) && language.size() == 2)
            match = &entry;
    }
    if (!match)
        return DEFAULT_LANG;
    char text[16];
    std::snprintf(text, sizeof text, "Lang%04x", match->id);
    return text;
}

std::string GetSystemLangName()
{
    const char* overrideName = std::getenv("CARDWISE_LANG");
    if (overrideName && *overrideName) {
        std::string name = overrideName;
        if (name == DEFAULT_LANG || name.rfind("Lang", 0) == 0)
            return name;
        return LangNameForLocale(name);
    }
    return LangNameForLocale(QLocale::system().name().toStdString());
}
