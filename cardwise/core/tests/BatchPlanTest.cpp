// SPDX-License-Identifier: GPL-3.0-or-later
// Batch plans: hostile files refused with their lines, the whole-plan check against the cards
// found, the request each card gets, and the read-back.
#include "BatchPlan.h"

#include "CardFrame.h"
#include "CardProtocol.h"
#include "CoreFakes.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace CardProtocol;

const char* const MAC_A = "00-1A-2B-3C-4D-5E";
const char* const MAC_B = "00-1A-2B-3C-4D-5F";

struct SPlanCase
{
    std::string strText;
    int nLine;              // of the first problem
    const char* pszProblem; // part of its text
};

std::ostream& operator<<(std::ostream& out, const SPlanCase& c)
{
    return out << c.strText.substr(0, 60);
}

QString Problems(const SPlanProblems& problems)
{
    QStringList arrLines;
    for (const SPlanProblem& problem : problems.arrListed)
        arrLines.append(QStringLiteral("%1: %2").arg(problem.nLine).arg(problem.strText));
    return arrLines.join(QLatin1Char('\n'));
}

class CBatchPlanRefusalTest : public ::testing::TestWithParam<SPlanCase>
{
};

TEST_P(CBatchPlanRefusalTest, RefusesNamingTheLine)
{
    const SPlanCase& c = GetParam();
    CBatchPlan plan;
    SPlanProblems problems;
    EXPECT_FALSE(plan.Parse(QByteArray::fromStdString(c.strText), problems));
    ASSERT_FALSE(problems.arrListed.empty());
    EXPECT_EQ(problems.arrListed.front().nLine, c.nLine) << Problems(problems).toStdString();
    EXPECT_TRUE(problems.arrListed.front().strText.contains(QString::fromUtf8(c.pszProblem)))
        << Problems(problems).toStdString();
}

std::string Repeated(const std::string& strPart, int nTimes)
{
    std::string strText;
    for (int i = 0; i < nTimes; ++i)
        strText += strPart;
    return strText;
}

INSTANTIATE_TEST_SUITE_P(
    HostileAndWrongPlans, CBatchPlanRefusalTest,
    ::testing::Values(
        SPlanCase{"", 0, "the plan is empty"},
        SPlanCase{"MAC,Colour\n*,red\n", 1, "unknown parameter 'Colour'"},
        SPlanCase{"MAC,Hw Ver\n*,3\n", 1, "'Hw Ver' is read-only"},
        SPlanCase{"HTTP Port\n8080\n", 1, "no MAC column"},
        SPlanCase{"MAC,HTTP Port,17\n", 1, "'17' names the same parameter as 'HTTP Port'"},
        SPlanCase{"MAC\n00-1A-2B\n", 2, "bad MAC address '00-1A-2B'"},
        SPlanCase{"MAC\n00-1A-2B-3C-4D-5E\n\n00:1a:2b:3c:4d:5e\n", 4,
                  "listed twice (first on line 2)"},
        SPlanCase{"MAC,HTTP Port\n*,80\n*,81\n", 3, "* is listed twice"},
        SPlanCase{"MAC,HTTP Port\n\n*,0\n", 3, "not a port number"},
        SPlanCase{"MAC,IP Addr\n*,10.0.0.010\n", 2, "is not an address"},
        SPlanCase{"MAC,SNMP Enable\n*,2\n", 2, "neither 0 nor 1"},
        SPlanCase{"MAC,HTTP Port\n*,80,9\n", 2, "3 cells, the header has 2"},
        SPlanCase{"MAC,HTTP Port\n,80\n", 2, "no MAC address"},
        SPlanCase{"MAC,Gridmon Password\n*,\"two\nlines\"\n00-1A\n", 4, "bad MAC"},
        SPlanCase{"MAC\n\"00-1A-2B-3C-4D-5E\n", 2, "a quoted cell is not closed"},
        SPlanCase{"MAC\n\"*\"x\n", 2, "text after the closing quote"},
        SPlanCase{"MAC\n*\x1b[2J\n", 2, "control character 0x1b"},
        SPlanCase{std::string("MAC\n*\n\0\n", 8), 3, "a zero byte"},
        SPlanCase{"MAC\n\xff\xfe\n", 0, "not UTF-8"},
        SPlanCase{"MAC,Gridmon Password\n*," + std::string(300, 'x') + "\n", 2,
                  "longer than 256 characters"},
        SPlanCase{Repeated("MAC,", 65) + "\n", 1, "more than 64 columns"},
        SPlanCase{"MAC\n" + Repeated("*\n", 65537), 65538, "more than 65536 rows"},
        SPlanCase{"{", 1, "not valid JSON"},
        SPlanCase{R"({"cards": []})", 1, "\"cards\" must be an array"},
        SPlanCase{R"({"plan": 1, "cards": [{"MAC": "*"}]})", 1, "unknown key \"plan\""},
        SPlanCase{"{\"cards\": [\n {\"MAC\": \"*\",\n  \"HTTP Port\": true}]}", 3,
                  "\"HTTP Port\" must be a text"},
        SPlanCase{"{\"cards\": [\n {\"MAC\": \"*\"},\n 7]}", 3, "card 2 must be an object"},
        SPlanCase{"{\"cards\": [\n {\"MAC\": \"*\"},\n {\"MAC\": \"*\"}]}", 3, "listed twice"},
        SPlanCase{"{\"cards\": [\n {\"MAC\": \"*\", \"Fw Ver\": 3}]}", 2, "read-only"}));

CVarDataGroup CardGroup(const char* pszMac, const char* pszIp, int nHttpPort = 80)
{
    CFakeCard card;
    card.strMac = pszMac;
    card.strIp = pszIp;
    card.nHttpPort = nHttpPort;
    const std::vector<unsigned char> arrFrame = DeviceInfoFrame(card);
    CCardFrameHeader header;
    CVarDataGroup group;
    CardFrame::Parse(arrFrame.data(), arrFrame.size(), header, group);
    return group;
}

class CBatchPlanTest : public ::testing::Test
{
protected:
    CBatchPlanTest()
        : m_grpA(CardGroup(MAC_A, "192.168.1.20")),
          m_grpB(CardGroup(MAC_B, "192.168.1.21")), m_arrFound{{MAC_A, "192.168.1.20", &m_grpA},
                                                               {MAC_B, "192.168.1.21", &m_grpB}}
    {
    }

    // Parses and prepares; the problems' text, empty when the plan passed.
    QString Check(const char* pszPlan, bool bAutoRestart = true)
    {
        SPlanProblems problems;
        if (m_plan.Parse(pszPlan, problems))
            m_plan.Prepare(m_arrFound, {QStringLiteral("192.168.1.2")}, bAutoRestart, problems);
        return Problems(problems);
    }

    CVarDataGroup m_grpA;
    CVarDataGroup m_grpB;
    std::vector<SFoundCard> m_arrFound;
    CBatchPlan m_plan;
};

TEST_F(CBatchPlanTest, ReadsCellsAsTheCardWillReportThem)
{
    // A spreadsheet's export: byte order mark, semicolons, CRLF, quotes, identifiers.
    SPlanProblems problems;
    ASSERT_TRUE(m_plan.Parse("\xEF\xBB\xBFMAC;17;SNMP Enable;Password;Gridmon Password\r\n"
                             "00:1a:2b:3c:4d:5e; +8080 ;;\"pw;1\";\" a \"\"b\"\" \"\r\n"
                             "*;;0;;\r\n",
                             problems))
        << Problems(problems).toStdString();
    const std::vector<SPlanRow>& arrRows = m_plan.GetRows();
    ASSERT_EQ(arrRows.size(), 2u);
    EXPECT_EQ(arrRows[0].nLine, 2);
    EXPECT_EQ(arrRows[0].strMac, MAC_A);
    EXPECT_EQ(arrRows[0].strPassword, QStringLiteral("pw;1"));
    ASSERT_EQ(arrRows[0].arrValues.size(), 2u);
    EXPECT_EQ(arrRows[0].arrValues[0].strValue, "8080");
    EXPECT_EQ(arrRows[0].arrValues[1].strValue, " a \"b\" ");
    EXPECT_EQ(arrRows[1].strMac, "*");
    EXPECT_FALSE(arrRows[1].strPassword);
    ASSERT_EQ(arrRows[1].arrValues.size(), 1u);
    EXPECT_EQ(arrRows[1].arrValues[0].nSetId, SET_SNMP_ENABLE);
    EXPECT_TRUE(m_plan.NeedsPassword());

    ASSERT_TRUE(m_plan.Parse(R"({"cards": [{"mac": "00-1A-2B-3C-4D-5E", "HTTP Port": 81,
        "IP Addr": "10.0.0.5", "Telnet Port": null, "password": "x"}]})",
                             problems));
    ASSERT_EQ(m_plan.GetRows().size(), 1u);
    EXPECT_EQ(m_plan.GetRows()[0].arrValues.size(), 2u);
    EXPECT_FALSE(m_plan.NeedsPassword());
}

struct SCheckCase
{
    const char* pszPlan;
    const char* pszProblem; // part of the first problem's text; empty: the plan passes
};

std::ostream& operator<<(std::ostream& out, const SCheckCase& c)
{
    return out << c.pszPlan;
}

class CBatchPlanCheckTest : public CBatchPlanTest, public ::testing::WithParamInterface<SCheckCase>
{
};

TEST_P(CBatchPlanCheckTest, ChecksTheWholePlanAgainstTheCardsFound)
{
    const QString strProblems = Check(GetParam().pszPlan);
    if (*GetParam().pszProblem == '\0') {
        EXPECT_TRUE(strProblems.isEmpty()) << strProblems.toStdString();
    } else {
        EXPECT_TRUE(strProblems.contains(QString::fromUtf8(GetParam().pszProblem)))
            << strProblems.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plans, CBatchPlanCheckTest,
    ::testing::Values(
        SCheckCase{"MAC,HTTP Port\n*,8080\n00-1A-2B-3C-4D-5E,81\n", ""},
        SCheckCase{"MAC,IP Addr\n00-1A-2B-3C-4D-5E,192.168.1.21\n00-1A-2B-3C-4D-5F,192.168.1.20\n",
                   ""},
        SCheckCase{"MAC,IP Addr\n00-1A-2B-3C-4D-5E,192.168.1.30\n00-1A-2B-3C-4D-5F,192.168.1.30\n",
                   "3: 00-1A-2B-3C-4D-5E and 00-1A-2B-3C-4D-5F would both have address "
                   "192.168.1.30"},
        SCheckCase{"MAC,IP Addr\n00-1A-2B-3C-4D-5E,192.168.1.21\n", "2: 00-1A-2B-3C-4D-5E and "},
        SCheckCase{"MAC,IP Addr\n*,192.168.1.30\n", "would both have address 192.168.1.30"},
        SCheckCase{"MAC,IP Addr\n00-1A-2B-3C-4D-5F,192.168.1.2\n",
                   "2: 00-1A-2B-3C-4D-5F would get 192.168.1.2, an address of this PC"},
        SCheckCase{"MAC,Gateway\n\n00-1A-2B-3C-4D-5E,10.0.0.1\n",
                   "3: 00-1A-2B-3C-4D-5E: The Gateway is invalid"},
        SCheckCase{"MAC,Mask\n*,0.0.0.0\n", "The IpAddr or Mask is invalid"}));

TEST_F(CBatchPlanTest, EachCardGetsTheDialogsRequestWithThePlansValues)
{
    // A named row's cells go over the "*" row's; a card not found stays in the plan.
    ASSERT_EQ(Check("MAC,HTTP Port,SNMP Enable\n*,8080,1\n00-1A-2B-3C-4D-5F,81,\n"
                    "00-1A-2B-00-00-09,82,\n"),
              QString());
    const std::vector<SPlannedCard>& arrCards = m_plan.GetCards();
    ASSERT_EQ(arrCards.size(), 3u);
    EXPECT_EQ(arrCards[0].strMac, MAC_A);
    EXPECT_EQ(arrCards[0].nLine, 2);
    EXPECT_EQ(arrCards[1].strMac, MAC_B);
    EXPECT_EQ(arrCards[1].nLine, 3);
    EXPECT_FALSE(arrCards[2].bFound);

    const SPlannedCard& b = arrCards[1];
    ASSERT_EQ(b.arrChanges.size(), 2u);
    EXPECT_EQ(b.arrChanges[0].strName, "HTTP Port");
    EXPECT_EQ(b.arrChanges[0].strCurrent, "80");
    EXPECT_EQ(b.arrChanges[0].strPlanned, "81");
    EXPECT_EQ(b.arrChanges[1].strPlanned, "1");
    // Every writable row of the card, the plan's values in place, the restart last.
    COptionTable option;
    option.m_grpParams = m_grpB;
    option.LoadParams();
    std::vector<unsigned int> arrExpected;
    for (int nRow = 0; nRow < option.GetItemCount(); ++nRow) {
        if (option.GetItemData(nRow) != 0)
            arrExpected.push_back(option.GetItemData(nRow));
    }
    arrExpected.push_back(SET_RESTART);
    std::vector<unsigned int> arrSent;
    arrSent.reserve(static_cast<std::size_t>(b.grpSend.GetSize()));
    for (int i = 0; i < b.grpSend.GetSize(); ++i)
        arrSent.push_back(b.grpSend.GetID(i));
    EXPECT_EQ(arrSent, arrExpected);
    EXPECT_EQ(b.grpSend[SET_HTTP_PORT].Get_DWORD(), 81u);

    ASSERT_EQ(Check("MAC,HTTP Port\n*,8080\n", false), QString());
    const CVarDataGroup& grpSend = m_plan.GetCards()[0].grpSend;
    EXPECT_EQ(grpSend.GetID(grpSend.GetSize() - 1), static_cast<unsigned int>(SET_TELNET_PORT));
}

TEST_F(CBatchPlanTest, VerifyComparesEveryPlannedValueWithTheCardsReport)
{
    ASSERT_EQ(Check("MAC,HTTP Port,IP Addr\n00-1A-2B-3C-4D-5E,8080,192.168.1.40\n"), QString());
    SPlannedCard card = m_plan.GetCards()[0];
    EXPECT_TRUE(CBatchPlan::Verify(card, CardGroup(MAC_A, "192.168.1.40", 8080)));
    EXPECT_EQ(card.arrChanges[0].strRead, "8080");
    EXPECT_FALSE(CBatchPlan::Verify(card, CardGroup(MAC_A, "192.168.1.40", 80)));
    EXPECT_EQ(card.arrChanges[0].strRead, "80");
    EXPECT_FALSE(CBatchPlan::Verify(card, CardGroup(MAC_A, "192.168.1.20", 8080)));
}

} // namespace
