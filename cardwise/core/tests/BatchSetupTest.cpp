// SPDX-License-Identifier: GPL-3.0-or-later
// The Batch Setup form: the cards and values chosen become a plan checked whole, the preview
// says what would change, and a refused form or a missing password sends nothing.
#include "BatchSetup.h"

#include "CoreFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct SFormCase
{
    const char* pszName;
    const char* pszCards; // the cards checked: "A", "B", "AB" or ""
    const char* pszParam; // the parameter changed, or null for none
    const char* pszValue;
    const char* pszPassword;
    bool bRun;
    CBatchSetup::EStage nStage;
    const char* pszExpected; // in a cell of the table
};

const SFormCase FORM_CASES[] = {
    {"PortOnBoth", "AB", "HTTP Port", "8080", "", false, CBatchSetup::STAGE_PREVIEW,
     "HTTP Port: 80 \u2192 8080"},
    {"NoCard", "", "HTTP Port", "8080", "", false, CBatchSetup::STAGE_REFUSED, "no card chosen"},
    {"NoParameter", "A", nullptr, "", "", false, CBatchSetup::STAGE_REFUSED,
     "no parameter chosen to change"},
    {"EmptyValue", "A", "Telnet Port", "", "", false, CBatchSetup::STAGE_REFUSED,
     "no value for Telnet Port"},
    {"BadPort", "AB", "HTTP Port", "70000", "", false, CBatchSetup::STAGE_REFUSED,
     "'70000' is not a port number from 1 to 65535 (parameter HTTP Port)"},
    {"OneAddressForTwo", "AB", "IP Addr", "192.168.1.50", "", false, CBatchSetup::STAGE_REFUSED,
     "00-1A-2B-3C-4D-5E and 00-1A-2B-3C-4D-5F would both have address 192.168.1.50"},
    {"GatewayOutsideTheNetwork", "B", "Gateway", "10.0.0.1", "", false, CBatchSetup::STAGE_REFUSED,
     "00-1A-2B-3C-4D-5F: The Gateway is invalid"},
    {"RunWithoutPassword", "A", "SNMP Enable", "0", "", true, CBatchSetup::STAGE_REFUSED,
     "Type the cards' password: nothing was sent"},
    {"RunSends", "A", "SNMP Enable", "0", "lemon", true, CBatchSetup::STAGE_RUNNING, "sending"},
};

class CBatchSetupFormTest : public ::testing::TestWithParam<SFormCase>
{
protected:
    CBatchSetupFormTest()
    {
        CAssistantServices services;
        services.fnCreateSocket = m_network.Factory();
        services.fnGetAdapters = [] { return std::vector<CAdapterAddress>(); };
        m_pCore = std::make_unique<CAssistantCore>(m_view, m_timers, services);
        m_view.m_pCore = m_pCore.get();
        m_view.m_nScopeRadio = CAssistantCore::SCOPE_SUBNET;
        m_pCore->OnScopeChanged();
        m_view.m_mapAddress[CAssistantView::IDC_ADDRESS] = 0xC0A80100;
        m_pCore->OnSearch();
        CFakeCard b;
        b.strMac = "00-1A-2B-3C-4D-5F";
        b.strIp = "192.168.1.21";
        for (const CFakeCard& card : {CFakeCard(), b})
            m_network.Deliver(DeviceInfoFrame(card), card.strIp.c_str());
        RunTimer(*m_pCore, m_timers, CAssistantCore::TIMER_SWEEP, 1000);
    }

    // The set requests sent so far.
    int SetRequests() const
    {
        int nCount = 0;
        for (const CFakeNetwork::CSentFrame& frame : m_network.m_arrSent)
            nCount += frame.nCommand == CardProtocol::CMD_SET_PARAMS_BROADCAST ||
                              frame.nCommand == CardProtocol::CMD_SET_PARAMS
                          ? 1
                          : 0;
        return nCount;
    }

    CRecordingView m_view;
    CSteppedTimerHost m_timers;
    CFakeNetwork m_network;
    std::unique_ptr<CAssistantCore> m_pCore;
};

TEST_P(CBatchSetupFormTest, FormBecomesAPlanCheckedWhole)
{
    const SFormCase& formCase = GetParam();
    CBatchSetup setup(*m_pCore, m_timers, [] { return std::int64_t{0}; });
    ASSERT_EQ(setup.GetCards().size(), 2u);
    const QString strCards = QString::fromLatin1(formCase.pszCards);
    setup.SetCardChecked(0, strCards.contains(QLatin1Char('A')));
    setup.SetCardChecked(1, strCards.contains(QLatin1Char('B')));
    setup.SetAutoRestart(false);
    setup.SetPassword(QString::fromUtf8(formCase.pszPassword));
    if (formCase.pszParam != nullptr) {
        const QLatin1String strName(formCase.pszParam);
        const auto& arrParams = setup.GetParams();
        const auto it =
            std::find_if(arrParams.begin(), arrParams.end(),
                         [strName](const SBatchParam& param) { return param.strName == strName; });
        ASSERT_NE(it, arrParams.end()) << formCase.pszParam;
        const int nParam = static_cast<int>(it - arrParams.begin());
        setup.SetParamChange(nParam, true);
        setup.SetParamValue(nParam, QString::fromUtf8(formCase.pszValue));
    }

    if (formCase.bRun)
        setup.Run();
    else
        setup.Preview();

    EXPECT_EQ(setup.GetStage(), formCase.nStage);
    QStringList arrCells;
    for (const QStringList& arrRow : setup.GetTable().arrRows)
        arrCells += arrRow;
    EXPECT_TRUE(arrCells.contains(QString::fromUtf8(formCase.pszExpected)))
        << arrCells.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(SetRequests(), formCase.nStage == CBatchSetup::STAGE_RUNNING ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, CBatchSetupFormTest, ::testing::ValuesIn(FORM_CASES),
                         [](const ::testing::TestParamInfo<SFormCase>& tested) {
                             return std::string(tested.param.pszName);
                         });

} // namespace
