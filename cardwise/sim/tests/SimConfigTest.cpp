// The simulator's configuration file: a full card, defaults, and every kind of bad input.
#include "SimConfig.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(SimConfigTest, ReadsEveryCardKey)
{
    const QByteArray json = R"({"bind": "0.0.0.0", "port": 17000, "cards": [
        {"mac": "02:00:00:00:00:0a", "ip": "10.77.1.101", "mask": "255.255.255.0",
         "gateway": "10.77.1.1", "hw": 2, "fw": 215, "password": "pw", "dhcp": 1,
         "gridmon": 0, "gridmon_password": "gp", "http": 0, "http_port": 8080,
         "admin_password": "ap", "snmp": 0, "telnet": 0, "telnet_port": 2323,
         "device_id": "dev", "encoding": "word"},
        {"mac": "02-00-00-00-00-0B"}]})";
    CSimConfig config;
    QString error;
    ASSERT_TRUE(ParseSimConfig(json, config, error)) << error.toStdString();

    EXPECT_EQ(config.strBind, "0.0.0.0");
    EXPECT_EQ(config.nPort, 17000);
    ASSERT_EQ(config.cards.size(), 2u);
    const CSimCard& card = config.cards[0];
    EXPECT_EQ(card.mac[5], 0x0A);
    EXPECT_EQ(card.ip, ::inet_addr("10.77.1.101"));
    EXPECT_EQ(card.gateway, ::inet_addr("10.77.1.1"));
    EXPECT_EQ(card.fwVersion, 215);
    EXPECT_EQ(card.password, "pw");
    EXPECT_EQ(card.dhcp, 1);
    EXPECT_EQ(card.telnetPort, 2323);
    EXPECT_EQ(card.deviceId, "dev");
    EXPECT_EQ(card.encoding, SimIntEncoding::Word);

    const CSimCard& defaults = config.cards[1];
    EXPECT_EQ(defaults.password, "lemon");
    EXPECT_EQ(defaults.deviceId, SimDeviceIdFor(defaults.mac));
}

TEST(SimConfigTest, RejectsBadConfigurations)
{
    const struct
    {
        const char* json;
        const char* message;
    } cases[] = {
        {"{", "not valid JSON"},
        {"[]", "top level must be an object"},
        {R"({"cards": []})", "non-empty array"},
        {R"({"card": [{"mac": "00-00-00-00-00-01"}]})", "unknown key \"card\""},
        {R"({"cards": [7]})", "card 1 is not an object"},
        {R"({"cards": [{"ip": "10.0.0.1"}]})", "card 1: \"mac\""},
        {R"({"cards": [{"mac": "00-00-00-00-00"}]})", "card 1: \"mac\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "ip": "10.0.0.256"}]})", "\"ip\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "gateway": "10.1"}]})", "\"gateway\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "http_port": 70000}]})", "\"http_port\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "dhcp": 2}]})", "\"dhcp\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "fw": 1.5}]})", "\"fw\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "hw": "2"}]})", "\"hw\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "encoding": "qword"}]})", "\"encoding\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "pasword": "x"}]})", "unknown key"},
        {R"({"cards": [{"mac": "00-00-00-00-00-01", "device_id":
            "0123456789012345678901234567890123456789012345678"}]})",
         "\"device_id\""},
        {R"({"cards": [{"mac": "00-00-00-00-00-01"}, {"mac": "00:00:00:00:00:01"}]})",
         "card 2: its MAC is already used"},
        {R"({"bind": "localhost", "cards": [{"mac": "00-00-00-00-00-01"}]})", "\"bind\""},
        {R"({"bind": "127.000.0.1", "cards": [{"mac": "00-00-00-00-00-01"}]})", "\"bind\""},
        {R"({"port": 0, "cards": [{"mac": "00-00-00-00-00-01"}]})", "\"port\""},
    };
    for (const auto& c : cases) {
        CSimConfig config;
        QString error;
        EXPECT_FALSE(ParseSimConfig(c.json, config, error)) << c.json;
        EXPECT_TRUE(error.contains(c.message)) << c.json << " gave: " << error.toStdString();
        EXPECT_TRUE(config.cards.empty());
    }
}

TEST(SimConfigTest, FileErrorsNameTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.json");
    CSimConfig config;
    QString error;
    EXPECT_FALSE(LoadSimConfig(missing, config, error));
    EXPECT_TRUE(error.startsWith(missing)) << error.toStdString();
}
