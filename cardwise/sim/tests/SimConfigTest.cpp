// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's configuration file: a full card, defaults, and every kind of bad input.
#include "SimConfig.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(SimConfigTest, ReadsEveryCardKey)
{
    const QByteArray strJson = R"({"bind": "0.0.0.0", "port": 17000, "cards": [
        {"mac": "02:00:00:00:00:0a", "ip": "10.77.1.101", "mask": "255.255.255.0",
         "gateway": "10.77.1.1", "hw": 2, "fw": 215, "password": "pw", "dhcp": 1,
         "gridmon": 0, "gridmon_password": "gp", "http": 0, "http_port": 8080,
         "admin_password": "ap", "snmp": 0, "telnet": 0, "telnet_port": 2323,
         "device_id": "dev", "encoding": "word", "applies": false, "silent": true},
        {"mac": "02-00-00-00-00-0B"}]})";
    CSimConfig config;
    QString strError;
    ASSERT_TRUE(ParseSimConfig(strJson, config, strError)) << strError.toStdString();

    EXPECT_EQ(config.strBind, "0.0.0.0");
    EXPECT_EQ(config.nPort, 17000);
    ASSERT_EQ(config.arrCards.size(), 2u);
    const CSimCard& card = config.arrCards[0];
    EXPECT_EQ(card.arrMac[5], 0x0A);
    EXPECT_EQ(card.dwIp, ::inet_addr("10.77.1.101"));
    EXPECT_EQ(card.dwGateway, ::inet_addr("10.77.1.1"));
    EXPECT_EQ(card.nFwVersion, 215);
    EXPECT_EQ(card.strPassword, "pw");
    EXPECT_EQ(card.nDhcp, 1);
    EXPECT_EQ(card.nTelnetPort, 2323);
    EXPECT_EQ(card.strDeviceId, "dev");
    EXPECT_EQ(card.nEncoding, SimIntEncoding::Word);
    EXPECT_FALSE(card.bApplies);
    EXPECT_TRUE(card.bSilent);

    const CSimCard& defaults = config.arrCards[1];
    EXPECT_EQ(defaults.strPassword, "lemon");
    EXPECT_EQ(defaults.strDeviceId, SimDeviceIdFor(defaults.arrMac));
    EXPECT_TRUE(defaults.bApplies);
    EXPECT_FALSE(defaults.bSilent);
}

TEST(SimConfigTest, RejectsBadConfigurationsNamingTheLine)
{
    const struct
    {
        const char* pszJson;
        const char* pszMessage;
    } arrCases[] = {
        {"{", "not valid JSON"},
        {"[]", "top level must be an object"},
        {R"({"cards": []})", "non-empty array"},
        {R"({"card": [{"mac": "00-00-00-00-00-01"}]})", "unknown key \"card\""},
        {R"({"cards": [7]})", "card 1 is not an object"},
        {R"({"cards": [{"ip": "10.0.0.1"}]})", "line 1: card 1: \"mac\""},
        {R"({"cards": [{"mac": "00-00-00-00-00"}]})", "card 1: \"mac\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "ip": "10.0.0.256"}]})", "\"ip\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "gateway": "10.1"}]})", "\"gateway\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "http_port": 70000}]})", "\"http_port\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "dhcp": 2}]})", "\"dhcp\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "fw": 1.5}]})", "\"fw\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "hw": "2"}]})", "\"hw\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "encoding": "qword"}]})", "\"encoding\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "pasword": "x"}]})", "unknown key"},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "applies": 0}]})", "\"applies\" must be"},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "silent": "yes"}]})", "\"silent\" must be"},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "device_id":
            "0123456789012345678901234567890123456789012345678"}]})",
         "\"device_id\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01"}, {"mac": "00:00:00:00:00:01"}]})",
         "card 2: its MAC is already used"},
        {R"({"bind": "localhost", "cards": [{"mac": "00-00-00-00-00-01"}]})", "\"bind\""},
        {R"({"bind": "127.000.0.1", "cards": [{"mac": "00-00-00-00-00-01"}]})", "\"bind\""},
        {R"({"port": 0, "cards": [{"mac": "00-00-00-00-00-01"}]})", "\"port\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01\u0000junk"}]})", "card 1: \"mac\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01 "}]})", "card 1: \"mac\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "ip": "10.0.0.1\u0000"}]})", "\"ip\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "mask": "0xff.255.255.0"}]})", "\"mask\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "password": "0123456789abcdefg"}]})",
         "\"password\" must be a text of at most 16 bytes"},
        // Messages name the line of the key at fault, or of the card, or of the JSON error.
        {"{\"cards\": [\n  {\"mac\": \"00-00-00-00-00-01\"},\n  {\"mac\": \"00-00-00-00-00-01\"}]}",
         "line 3: card 2: its MAC"},
        {"{\"cards\": [\n  {\"mac\": \"00-00-00-00-00-01\",\n   \"password\":\n \"x\", \"ip\": "
         "\"1\"}]}",
         "line 4: card 1: \"ip\""},
        {"{\"cards\": [{\"mac\": \"00-00-00-00-00-01\"},\n  7]}", "line 2: card 2 is not"},
        {"{\"cards\": [{\"mac\": \"00-00-00-00-00-01\"}],\n\n \"port\": -1}", "line 3: \"port\""},
        {"{\"cards\": [\n{\"mac\": \"a\\\"b\", \"ip\": 1}]}", "line 2: card 1: \"mac\""},
        {"{\"cards\": [\n  {\"mac\": \"00-00-00-00-00-01\"}\n  {}]}", "line 3: not valid JSON"},
    };
    for (const auto& c : arrCases) {
        CSimConfig config;
        QString strError;
        EXPECT_FALSE(ParseSimConfig(c.pszJson, config, strError)) << c.pszJson;
        EXPECT_TRUE(strError.contains(c.pszMessage))
            << c.pszJson << " gave: " << strError.toStdString();
        EXPECT_TRUE(config.arrCards.empty());
    }
}

// A device reports no size: the read itself stops after 16 MiB.
TEST(SimConfigTest, EndlessFileIsRefused)
{
    CSimConfig config;
    QString strError;
    EXPECT_FALSE(LoadSimConfig("/dev/zero", config, strError));
    EXPECT_EQ(strError, "/dev/zero: larger than 16 MiB");
}

TEST(SimConfigTest, FileErrorsNameTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString strMissing = dir.filePath("missing.json");
    CSimConfig config;
    QString strError;
    EXPECT_FALSE(LoadSimConfig(strMissing, config, strError));
    EXPECT_TRUE(strError.startsWith(strMissing)) << strError.toStdString();
}
