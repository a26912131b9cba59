// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of cardwise-sim: what it accepts, the message for what it does not, and
// how the options meet the configuration file.
#include "SimArguments.h"

#include "ArgumentCases.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

class SimArgumentsRejectTest : public ::testing::TestWithParam<CRejectCase>
{
};

TEST_P(SimArgumentsRejectTest, NamesTheOffendingOption)
{
    ExpectRejected(GetParam(), [](const QStringList& arrArgs, QString& strError) {
        SSimArguments args;
        return ParseSimArguments(arrArgs, args, strError);
    });
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, SimArgumentsRejectTest,
    ::testing::Values(CRejectCase{"--cards 0", "--cards needs a number from 1 to 65535"},
                      CRejectCase{"--cards many", "--cards"}, CRejectCase{"--port 70000", "--port"},
                      CRejectCase{"--restart-ms -1", "--restart-ms"},
                      CRejectCase{"--reply-jitter-ms 60001", "--reply-jitter-ms"},
                      CRejectCase{"--seed -2", "--seed"},
                      CRejectCase{"--loss 1.5", "--loss needs a share from 0 to 1"},
                      CRejectCase{"--loss nan", "--loss needs a share"},
                      CRejectCase{"--duplicate 10%", "--duplicate needs a share"},
                      CRejectCase{"--trace loud", "--trace expects a level"},
                      CRejectCase{"--bind somewhere", "--bind needs an address"},
                      CRejectCase{"--bind 127.1", "--bind needs an address"},
                      CRejectCase{"--cards 2 --config cards.json", "either --cards or --config"},
                      CRejectCase{"--first-address 127.1", "--first-address needs an address"},
                      CRejectCase{"--first-address 0.0.0.0", "other than 0.0.0.0"},
                      CRejectCase{"--colour", "Unknown option 'colour'"},
                      CRejectCase{"cards.json", "unexpected argument: cards.json"}),
    RejectCaseName);

TEST(SimArgumentsTest, OptionsReachTheSimulator)
{
    SSimArguments args;
    QString strError;
    ASSERT_TRUE(
        ParseSimArguments(SplitArgs("--cards 5 --bind 0.0.0.0 --port 17000 --restart-ms 500 "
                                    "--reply-jitter-ms 100 --seed 7 --trace 0 --loss 0.1 "
                                    "--duplicate 0.25 --reorder"),
                          args, strError))
        << strError.toStdString();
    std::vector<CSimCard> arrCards;
    CCardSimulator::COptions options;
    ASSERT_TRUE(LoadSimSetup(args, arrCards, options, strError));
    EXPECT_EQ(arrCards.size(), 5u);
    EXPECT_EQ(options.strBind, "0.0.0.0");
    EXPECT_EQ(options.nPort, 17000u);
    EXPECT_EQ(options.nRestartMs, 500);
    EXPECT_EQ(options.nJitterMs, 100);
    EXPECT_EQ(options.nSeed, 7u);
    EXPECT_EQ(options.dLoss, 0.1);
    EXPECT_EQ(options.dDuplicate, 0.25);
    EXPECT_TRUE(options.bReorder);
    EXPECT_EQ(args.nTraceLevel, 0);

    // Nothing given: one card on the simulator's own endpoint.
    ASSERT_TRUE(ParseSimArguments({}, args, strError));
    ASSERT_TRUE(LoadSimSetup(args, arrCards, options, strError));
    EXPECT_EQ(arrCards.size(), 1u);
    EXPECT_EQ(options.strBind, CCardSimulator::COptions().strBind);
    EXPECT_EQ(options.nPort, CCardSimulator::COptions().nPort);
    EXPECT_EQ(options.dLoss, 0);
    EXPECT_FALSE(options.bReorder);
    EXPECT_EQ(args.nTraceLevel, -1);
}

TEST(SimArgumentsTest, FirstAddressGivesEachCardItsOwn)
{
    SSimArguments args;
    QString strError;
    std::vector<CSimCard> arrCards;
    CCardSimulator::COptions options;
    ASSERT_TRUE(
        ParseSimArguments(SplitArgs("--cards 3 --first-address 127.1.0.255"), args, strError));
    ASSERT_TRUE(LoadSimSetup(args, arrCards, options, strError)) << strError.toStdString();
    EXPECT_TRUE(options.bOwnAddresses);
    ASSERT_EQ(arrCards.size(), 3u);
    const unsigned char* pIp = reinterpret_cast<const unsigned char*>(&arrCards[2].dwIp);
    const unsigned char* pGateway = reinterpret_cast<const unsigned char*>(&arrCards[2].dwGateway);
    EXPECT_EQ(std::vector<int>(pIp, pIp + 4), (std::vector<int>{127, 1, 1, 1}));
    EXPECT_EQ(std::vector<int>(pGateway, pGateway + 4), (std::vector<int>{127, 1, 1, 1}));

    // The last card must stay below 255.255.255.255 + 1.
    ASSERT_TRUE(
        ParseSimArguments(SplitArgs("--cards 3 --first-address 255.255.255.254"), args, strError));
    EXPECT_FALSE(LoadSimSetup(args, arrCards, options, strError));
    EXPECT_TRUE(strError.contains("do not fit")) << strError.toStdString();
}

TEST(SimArgumentsTest, CommandLineWinsOverTheFilesEndpoint)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString strPath = dir.filePath(QStringLiteral("cards.json"));
    QFile file(strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"bind": "0.0.0.0", "port": 17001, "cards": [{"mac": "02-00-00-00-00-01"}]})");
    file.close();

    for (const bool bOverride : {false, true}) {
        const QString strArgs =
            QStringLiteral("--config ") + strPath +
            (bOverride ? QStringLiteral(" --bind 127.0.0.2 --port 17002") : QString());
        SSimArguments args;
        QString strError;
        ASSERT_TRUE(ParseSimArguments(strArgs.split(QLatin1Char(' ')), args, strError));
        std::vector<CSimCard> arrCards;
        CCardSimulator::COptions options;
        ASSERT_TRUE(LoadSimSetup(args, arrCards, options, strError)) << strError.toStdString();
        EXPECT_EQ(arrCards.size(), 1u);
        EXPECT_EQ(options.strBind, bOverride ? "127.0.0.2" : "0.0.0.0");
        EXPECT_EQ(options.nPort, bOverride ? 17002u : 17001u);
    }
}

TEST(SimArgumentsTest, HelpNeedsNothingElse)
{
    SSimArguments args;
    QString strError;
    ASSERT_TRUE(ParseSimArguments(SplitArgs("--help --cards 0"), args, strError));
    EXPECT_TRUE(args.bHelp);
    EXPECT_TRUE(SimUsage().startsWith(QStringLiteral("Usage: cardwise-sim [options]")));
}

} // namespace
