// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue loading, stable translated texts and the language name of a locale.
#include "LmLang.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class LmLangTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetLocalLang("default", 1);
        ::unsetenv("CARDWISE_LANG");
    }
};

TEST_F(LmLangTest, UntranslatedWithoutLanguage)
{
    const std::string source = "Password Error";
    const char* text = GetTranslateText(source.c_str());
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Password Error");
    EXPECT_NE(text, source.c_str()) << "the result must not point into the caller's text";
    EXPECT_STREQ(GetTranslateText(nullptr), "");
    EXPECT_STREQ(GetTranslateText("no such text"), "no such text");
}

TEST_F(LmLangTest, ChineseCatalogueTranslatesWindowTexts)
{
    ASSERT_EQ(SetLocalLang("Lang0804", 1), 1);
    EXPECT_EQ(GetLocalLang(), "Lang0804");

    const struct
    {
        const char* source;
        const char* display;
    } cases[] = {
        {"Password Error", "密码错误"},
        {"IP Addr(Act)", "IP地址(实际)"},
        {"End  Addr", "结束地址"},
        {"Scanning Device  Finished", "搜索设备完成"},
        {"setting request is accessed", "设置请求已被接受"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(GetTranslateText(c.source), c.display) << c.source;
    EXPECT_STREQ(GetTranslateText("no such text"), "no such text");
}

TEST_F(LmLangTest, TextsStayValidAcrossLanguageChanges)
{
    ASSERT_EQ(SetLocalLang("Lang0804", 1), 1);
    const char* chinese = GetTranslateText("Mask");
    ASSERT_EQ(SetLocalLang("default", 1), 1);
    const char* english = GetTranslateText("Mask");
    for (int i = 0; i < 1000; ++i)
        GetTranslateText(std::to_string(i).c_str());

    EXPECT_STREQ(chinese, "子网掩码");
    EXPECT_STREQ(english, "Mask");
    EXPECT_EQ(GetTranslateText("Mask"), english);
}

TEST_F(LmLangTest, UnknownLanguageKeepsCurrentOne)
{
    ASSERT_EQ(SetLocalLang("Lang0804", 1), 1);
    EXPECT_EQ(SetLocalLang("Lang9999", 1), 0);
    EXPECT_EQ(SetLocalLang("../translations/Lang0804", 1), 0);
    EXPECT_EQ(SetLocalLang("", 1), 0);
    EXPECT_EQ(SetLocalLang(nullptr, 1), 0);
    EXPECT_EQ(GetLocalLang(), "Lang0804");
    EXPECT_STREQ(GetTranslateText("Gateway"), "网关");
}

TEST_F(LmLangTest, LanguageNameFromLocale)
{
    const struct
    {
        const char* locale;
        const char* name;
    } cases[] = {
        {"zh_CN", "Lang0804"}, {"zh_CN.UTF-8", "Lang0804"}, {"zh-TW", "Lang0404"},
        {"en_US", "Lang0409"}, {"en_NZ", "Lang0409"},       {"de_AT", "Lang0c07"},
        {"fr_FR", "Lang040c"}, {"C", "Lang0409"},           {"xx_YY", "default"},
        {"", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LangNameForLocale(c.locale), c.name) << c.locale;
}

TEST_F(LmLangTest, EnvironmentOverridesSystemLocale)
{
    const struct
    {
        const char* value;
        const char* name;
    } cases[] = {{"zh_CN", "Lang0804"}, {"default", "default"}, {"Lang0409", "Lang0409"}};
    for (const auto& c : cases) {
        ::setenv("CARDWISE_LANG", c.value, 1);
        EXPECT_EQ(GetSystemLangName(), c.name) << c.value;
    }
}
