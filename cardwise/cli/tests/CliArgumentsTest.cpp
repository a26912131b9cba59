// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of cardwise-cli: what is accepted, and the message for what is not.
#include "CliArguments.h"

#include "ArgumentCases.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

class CliArgumentsRejectTest : public ::testing::TestWithParam<CRejectCase>
{
};

TEST_P(CliArgumentsRejectTest, NamesTheOffendingArgument)
{
    ExpectRejected(GetParam(), [](const QStringList& arrArgs, QString& strError) {
        SCliOptions options;
        return ParseCliArguments(arrArgs, options, strError);
    });
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, CliArgumentsRejectTest,
    ::testing::Values(
        CRejectCase{"", "no command"}, CRejectCase{"scan", "unknown command 'scan'"},
        CRejectCase{"search --password x", "--password does not apply to search"},
        CRejectCase{"search --json --csv", "exclude each other"},
        CRejectCase{"search --wait soon", "--wait expects milliseconds"},
        CRejectCase{"search --rounds 0", "--rounds expects a number of sweeps from 1 to 100"},
        CRejectCase{"search --rounds 101", "--rounds expects"},
        CRejectCase{"decode --rounds 2", "--rounds does not apply to decode"},
        CRejectCase{"search --subnet 10.0.0.1", "--subnet expects ADDRESS/MASK"},
        CRejectCase{"search --trace high", "--trace expects a level"},
        CRejectCase{"search --subnet 10.0.0.0/8 --range 10.0.0.1-10.0.0.9", "exclude each other"},
        CRejectCase{"search --range 10.0.0.9-10.0.0.1", "is below the start address"},
        CRejectCase{"search --rate 100", "give --range too"},
        CRejectCase{"search --range 10.0.0.1-10.0.0.9 --rate 0", "--rate expects"},
        CRejectCase{"decode --range 10.0.0.1-10.0.0.9", "--range does not apply to decode"},
        CRejectCase{"params", "needs the MAC"},
        CRejectCase{"params 00-1A-2B-3C-4D", "bad MAC address '00-1A-2B-3C-4D'"},
        CRejectCase{"params 001A2B3C4D5E", "bad MAC"},
        CRejectCase{"params 00-1A-2B-3C-4D-5E 00-1A-2B-3C-4D-5F", "unexpected argument"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x --password-file f HTTP_Port=8080",
                    "exclude each other"},
        CRejectCase{"apply", "apply needs a plan file"},
        CRejectCase{"apply a.csv b.csv", "unexpected argument 'b.csv'"},
        CRejectCase{"apply a.csv --wait-restart", "--wait-restart does not apply to apply"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --dry-run", "--dry-run does not apply to set"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x HTTP_Porty=1", "unknown parameter name"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x =1", "expected NAME=VALUE"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x Hw_Ver=3", "read-only"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x IP_Addr=192.168.1.010",
                    "'192.168.1.010' is not an address"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x HTTP_Port=0", "not a port number"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x SNMP_Enable=yes", "neither 0 nor 1"},
        CRejectCase{"set 00-1A-2B-3C-4D-5E --password x --no-restart --wait-restart",
                    "exclude each other"},
        CRejectCase{"decode a.bin b.bin", "one file"},
        CRejectCase{"search --compare site.json --csv", "--compare prints text or --json"},
        CRejectCase{"params 00-1A-2B-3C-4D-5E --compare site.json",
                    "--compare does not apply to params"}),
    RejectCaseName);

class CliArgumentsTest : public ::testing::Test
{
protected:
    SCliOptions Parse(const char* pszArgs)
    {
        SCliOptions options;
        QString strError;
        EXPECT_TRUE(ParseCliArguments(SplitArgs(pszArgs), options, strError))
            << strError.toStdString();
        return options;
    }
};

TEST_F(CliArgumentsTest, SearchDefaultsToLocalScopeAndText)
{
    const SCliOptions options = Parse("search");
    EXPECT_EQ(options.nCommand, CLI_SEARCH);
    EXPECT_FALSE(options.subnet);
    EXPECT_EQ(options.nFormat, FORMAT_TEXT);
    EXPECT_EQ(options.nWaitMs, 0);
    EXPECT_EQ(options.nRounds, 1);
    EXPECT_EQ(options.nTraceLevel, -1);
}

// The texts themselves are read by the shared parser (ProgramOptionsTest).
TEST_F(CliArgumentsTest, SubnetBecomesControlValues)
{
    const SCliOptions options = Parse("search --subnet 192.168.1.7/24 --wait 250 --csv --rounds 3");
    EXPECT_EQ(options.nRounds, 3);
    ASSERT_TRUE(options.subnet);
    EXPECT_EQ(options.subnet->dwAddress, 0xC0A80107u);
    EXPECT_EQ(options.subnet->dwMask, 0xFFFFFF00u);
    EXPECT_EQ(options.nWaitMs, 250);
    EXPECT_EQ(options.nFormat, FORMAT_CSV);
}

TEST_F(CliArgumentsTest, RangeAndRateReachSetAsForSearch)
{
    const SCliOptions options =
        Parse("set 00-1A-2B-3C-4D-5E --password lemon --range 10.77.3.1-10.77.3.254 --rate 500");
    ASSERT_TRUE(options.range);
    EXPECT_FALSE(options.subnet);
    EXPECT_EQ(options.range->dwStart, 0x0A4D0301u);
    EXPECT_EQ(options.range->dwEnd, 0x0A4D03FEu);
    EXPECT_EQ(options.nRate, 500);
    EXPECT_EQ(Parse("search --range 10.0.0.1-10.0.0.2").nRate, CardwiseCore::RATE_DEFAULT);
}

TEST_F(CliArgumentsTest, ApplyTakesThePlanAndItsOptions)
{
    const SCliOptions options =
        Parse("apply plan.csv --password-file pw.txt --dry-run --no-restart --json");
    EXPECT_EQ(options.nCommand, CLI_APPLY);
    EXPECT_EQ(options.strFile, "plan.csv");
    EXPECT_EQ(options.strPasswordFile, "pw.txt");
    EXPECT_FALSE(options.bPasswordGiven);
    EXPECT_TRUE(options.bDryRun);
    EXPECT_TRUE(options.bNoRestart);
    EXPECT_EQ(options.nFormat, FORMAT_JSON);
}

TEST_F(CliArgumentsTest, MacIsNormalised)
{
    EXPECT_EQ(Parse("params 00:1a:2b:3c:4d:5e --json").strMac, "00-1A-2B-3C-4D-5E");
}

TEST_F(CliArgumentsTest, SetCollectsEditsByNameOrIdentifier)
{
    const SCliOptions options = Parse("set 00-1A-2B-3C-4D-5E --password lemon HTTP_Port=8080 21=0 "
                                      "Gridmon_Password=a=b --no-restart --trace 20");
    EXPECT_EQ(options.nCommand, CLI_SET);
    EXPECT_EQ(options.strPassword, "lemon");
    EXPECT_TRUE(options.bNoRestart);
    EXPECT_FALSE(options.bWaitRestart);
    EXPECT_EQ(options.nTraceLevel, 20);
    ASSERT_EQ(options.arrEdits.size(), 3u);
    EXPECT_EQ(options.arrEdits[0].nSetId, 17u);
    EXPECT_EQ(options.arrEdits[0].strValue, "8080");
    EXPECT_EQ(options.arrEdits[1].nSetId, 21u);
    EXPECT_EQ(options.arrEdits[2].nSetId, 13u);
    EXPECT_EQ(options.arrEdits[2].strValue, "a=b");
}

TEST_F(CliArgumentsTest, DecodeReadsStandardInputByDefault)
{
    EXPECT_EQ(Parse("decode").strFile, "");
    const SCliOptions options = Parse("decode --hex -");
    EXPECT_TRUE(options.bHex);
    EXPECT_EQ(options.strFile, "-");
}

TEST_F(CliArgumentsTest, HelpWinsEverywhere)
{
    EXPECT_EQ(Parse("--help").nCommand, CLI_HELP);
    EXPECT_EQ(Parse("set --help").nCommand, CLI_HELP);
}

} // namespace
