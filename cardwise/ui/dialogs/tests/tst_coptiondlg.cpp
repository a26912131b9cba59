// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter dialog: the rows it lists, editing and copying them, and the request that OK
// builds from what the controls hold.
#include "OptionDlg.h"

#include "MessageRecorder.h"
#include "ModalDialog.h"

#include "CardProtocol.h"

#include <LmLang.h>

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <arpa/inet.h>

Q_DECLARE_METATYPE(CVarDataGroup)

using namespace CardProtocol;

namespace {

// 48 bytes, as cards send it.
const char DEVICE_ID[] = "9f1c2e4a-55b0-4d7e-8a31-0c6f2b7d9e10-CW-UPS-0001";

// One decoded value: 'a' address, 'd' DWORD, 'c' char, 'b' byte block.
struct SValue
{
    std::uint16_t nItem;
    char cKind;
    QByteArray strText;
};

CVarDataGroup Group(const QList<SValue>& arrValues)
{
    CVarDataGroup grp;
    for (const SValue& value : arrValues) {
        const unsigned int nId = MakeValueId(CMD_DEVICE_INFO_BROADCAST, value.nItem);
        if (value.cKind == 'a')
            grp.Add(static_cast<unsigned long>(inet_addr(value.strText.constData())), nId);
        else if (value.cKind == 'd')
            grp.Add(value.strText.toULong(), nId);
        else if (value.cKind == 'c')
            grp.Add(static_cast<char>(value.strText.toInt()), nId);
        else
            grp.Add(reinterpret_cast<const unsigned char*>(value.strText.constData()),
                    static_cast<unsigned short>(value.strText.size()), nId);
    }
    return grp;
}

// What a card reports, in the order cards send it; the MAC gets no row.
CVarDataGroup CardGroup()
{
    // clang-format off
    return Group({{INFO_MAC, 'b', QByteArray(6, '\x1a')}, {INFO_IP, 'a', "192.168.1.20"},
                  {INFO_MASK, 'a', "255.255.255.0"}, {INFO_GATEWAY, 'a', "192.168.1.1"},
                  {INFO_HW_VERSION, 'd', "2"}, {INFO_FW_VERSION, 'd', "215"},
                  {INFO_DHCP, 'd', "0"}, {INFO_GRIDMON_ENABLE, 'c', "1"},
                  {INFO_GRIDMON_PASSWORD, 'b', "KOVAL-WERK"}, {INFO_HTTP_ENABLE, 'c', "1"},
                  {INFO_ADMIN_PASSWORD, 'b', "lemon"}, {INFO_HTTP_PORT, 'd', "80"},
                  {INFO_SNMP_ENABLE, 'c', "0"}, {INFO_TELNET_ENABLE, 'c', "1"},
                  {INFO_TELNET_PORT, 'd', "23"}, {INFO_DEVICE_ID, 'b', DEVICE_ID}});
    // clang-format on
}

} // namespace

class tst_COptionDlg : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listShowsKnownParameters_data();
    void listShowsKnownParameters();
    void namesAreTranslatedValuesAreNot();
    void editedValueIsSentAsTheCardReadsIt_data();
    void editedValueIsSentAsTheCardReadsIt();
    void failedCheckKeepsDialogOpen_data();
    void failedCheckKeepsDialogOpen();
    void okTakesPasswordAndRestartChoice_data();
    void okTakesPasswordAndRestartChoice();
    void readOnlyRowWarnsAndIsNotEdited();
    void rightClickCopiesValueExceptFirstRow_data();
    void rightClickCopiesValueExceptFirstRow();
    void nothingSelectedDoesNothing();
    void runnerEndsWithTheButtonPressed();

private:
    // Shows the dialog over m_table with recorded messages and a fake edit dialog that
    // answers m_strAnswer.
    void Open(const CVarDataGroup& grp = CardGroup());
    QTableWidget* List() const { return m_pDlg->findChild<QTableWidget*>("IDC_PARAM_LIST"); }
    QString Text(int nRow, int nColumn) const { return List()->item(nRow, nColumn)->text(); }
    int Row(const QString& strName) const;
    QPoint RowPoint(int nRow) const;
    void DoubleClick(int nRow);
    // Press, context menu request, release: a right-click as the desktop delivers it.
    void RightClick(const QPoint& point);
    void Edit(const QString& strName, const QString& strValue);
    void ClickOk() { QTest::mouseClick(m_pDlg->findChild<QPushButton*>("IDOK"), Qt::LeftButton); }

    std::unique_ptr<COptionTable> m_pTable;
    std::unique_ptr<COptionDlg> m_pDlg;
    CMessageRecorder m_messages;
    QStringList m_arrEdited;
    std::optional<QString> m_strAnswer;
};

void tst_COptionDlg::init()
{
    m_pTable = std::make_unique<COptionTable>();
    m_messages.m_arrMessages.clear();
    m_arrEdited.clear();
    m_strAnswer.reset();
}

void tst_COptionDlg::cleanup()
{
    m_pDlg.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_COptionDlg::Open(const CVarDataGroup& grp)
{
    m_pTable->m_grpParams = grp;
    m_pDlg = std::make_unique<COptionDlg>(
        *m_pTable, m_messages.Sink(), nullptr,
        [this](QWidget*, const QString& strName, const QString& strOriginal) {
            m_arrEdited << strName + QLatin1Char('=') + strOriginal;
            return m_strAnswer;
        });
    m_pDlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
}

int tst_COptionDlg::Row(const QString& strName) const
{
    const QList<QTableWidgetItem*> arrItems = List()->findItems(strName, Qt::MatchExactly);
    return arrItems.isEmpty() ? -1 : arrItems.first()->row();
}

QPoint tst_COptionDlg::RowPoint(int nRow) const
{
    List()->scrollToItem(List()->item(nRow, COptionTable::COL_NAME));
    return List()->visualItemRect(List()->item(nRow, COptionTable::COL_NAME)).center();
}

void tst_COptionDlg::DoubleClick(int nRow)
{
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(nRow));
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(nRow));
}

void tst_COptionDlg::RightClick(const QPoint& point)
{
    QWidget* pViewport = List()->viewport();
    QTest::mousePress(pViewport, Qt::RightButton, {}, point);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, pViewport->mapToGlobal(point));
    QApplication::sendEvent(pViewport, &event);
    QTest::mouseRelease(pViewport, Qt::RightButton, {}, point);
}

void tst_COptionDlg::Edit(const QString& strName, const QString& strValue)
{
    m_strAnswer = strValue;
    DoubleClick(Row(strName));
    QCOMPARE(Text(Row(strName), COptionTable::COL_VALUE), strValue);
}

void tst_COptionDlg::listShowsKnownParameters_data()
{
    QTest::addColumn<CVarDataGroup>("grp");
    QTest::addColumn<QStringList>("rows");

    // clang-format off
    QTest::newRow("unknown identifiers")
        << Group({{INFO_MAC, 'b', "\1\2\3\4\5\6"}, {INFO_IP, 'a', "10.0.0.5"}, {7, 'd', "1"},
                  {8, 'd', "2"}, {INFO_HTTP_PORT, 'd', "8080"}, {24, 'd', "3"},
                  {INFO_TELNET_ENABLE, 'c', "-1"}})
        << QStringList{"1 IP Addr 10.0.0.5", "2 HTTP Port 8080", "3 Telnet Enable -1"};
    for (const int nSize : {47, 48, 49}) {
        const QStringList arrRows = nSize != 48
            ? QStringList{"1 Mask 255.0.0.0", "2 Fw Ver 301"}
            : QStringList{"1 Mask 255.0.0.0", "2 DeviceID " + QString(48, 'u'), "3 Fw Ver 301"};
        QTest::addRow("device id of %d bytes", nSize)
            << Group({{INFO_MASK, 'a', "255.0.0.0"}, {INFO_DEVICE_ID, 'b', QByteArray(nSize, 'u')},
                      {INFO_FW_VERSION, 'd', "301"}})
            << arrRows;
    }
    // clang-format on
}

void tst_COptionDlg::listShowsKnownParameters()
{
    QFETCH(CVarDataGroup, grp);
    QFETCH(QStringList, rows);

    Open(grp);

    QStringList arrShown;
    for (int nRow = 0; nRow < List()->rowCount(); ++nRow)
        arrShown << Text(nRow, 0) + ' ' + Text(nRow, 1) + ' ' + Text(nRow, 2);
    QCOMPARE(arrShown, rows);
    const QStringList arrTitles{"No.", "ParamName", "ParamValue", "Memo"};
    const int arrWidths[] = {20, 120, 200, 160};
    for (int nColumn = 0; nColumn < COptionTable::COL_COUNT; ++nColumn) {
        QCOMPARE(List()->horizontalHeaderItem(nColumn)->text(), arrTitles[nColumn]);
        QVERIFY(List()->columnWidth(nColumn) >= arrWidths[nColumn]);
    }
}

void tst_COptionDlg::namesAreTranslatedValuesAreNot()
{
    QVERIFY(SetLocalLang("Lang0804", 1));
    // A Gridmon password that happens to be a source text of the catalogue.
    Open(Group({{INFO_IP, 'a', "192.168.1.20"}, {INFO_GRIDMON_PASSWORD, 'b', "Memo"}}));
    SetLocalLang("default", 1);

    QCOMPARE(m_pDlg->windowTitle(), QStringLiteral("参数设置"));
    QCOMPARE(m_pDlg->findChild<QCheckBox*>("IDC_AUTO_RESTART")->text(), QStringLiteral("自动重启"));
    QCOMPARE(List()->horizontalHeaderItem(COptionTable::COL_MEMO)->text(), QStringLiteral("备注"));
    QCOMPARE(Text(0, COptionTable::COL_NAME), QStringLiteral("IP地址"));
    QCOMPARE(Text(1, COptionTable::COL_MEMO), QStringLiteral("默认:KOVAL-WERK"));
    QCOMPARE(Text(1, COptionTable::COL_VALUE), QStringLiteral("Memo"));
}

void tst_COptionDlg::editedValueIsSentAsTheCardReadsIt_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<unsigned int>("id");
    QTest::addColumn<unsigned long>("sent");

    // clang-format off
    QTest::newRow("flag with blank") << "SNMP Enable" << " 1" << unsigned(SET_SNMP_ENABLE) << 0UL;
    QTest::newRow("flag 1") << "SNMP Enable" << "1" << unsigned(SET_SNMP_ENABLE) << 1UL;
    QTest::newRow("port") << "HTTP Port" << "8080" << unsigned(SET_HTTP_PORT) << 8080UL;
    // clang-format on
}

void tst_COptionDlg::editedValueIsSentAsTheCardReadsIt()
{
    QFETCH(QString, row);
    QFETCH(QString, text);
    QFETCH(unsigned int, id);
    QFETCH(unsigned long, sent);
    Open();
    const QString strOriginal = Text(Row(row), COptionTable::COL_VALUE);

    Edit(row, text);
    ClickOk();

    QCOMPARE(m_arrEdited, QStringList{row + '=' + strOriginal});
    QCOMPARE(m_pDlg->result(), int(QDialog::Accepted));
    const CVarData& value = m_pTable->m_grpSend[id];
    QCOMPARE(value.GetType() == VD_char ? value.Get_char() : value.Get_DWORD(), sent);
}

void tst_COptionDlg::failedCheckKeepsDialogOpen_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    // clang-format off
    QTest::newRow("zero mask") << "Mask" << "0.0.0.0" << "The IpAddr or Mask is invalid";
    QTest::newRow("gateway elsewhere") << "Gateway" << "10.0.0.1" << "The Gateway is invalid";
    // clang-format on
}

void tst_COptionDlg::failedCheckKeepsDialogOpen()
{
    QFETCH(QString, row);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Open();
    const QString strOriginal = Text(Row(row), COptionTable::COL_VALUE);

    Edit(row, text);
    ClickOk();

    QVERIFY(m_pDlg->isVisible());
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(1));
    QCOMPARE(m_messages.m_arrMessages[0].strText, message);
    QCOMPARE(m_messages.m_arrMessages[0].strCaption, QStringLiteral("ERROR"));
    // Once corrected, the next OK goes through.
    Edit(row, strOriginal);
    ClickOk();
    QVERIFY(!m_pDlg->isVisible());
    QCOMPARE(m_pDlg->result(), int(QDialog::Accepted));
}

void tst_COptionDlg::okTakesPasswordAndRestartChoice_data()
{
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QString>("password");

    QTest::newRow("restart, own password") << true << "secret";
    QTest::newRow("no restart, no password") << false << "";
}

void tst_COptionDlg::okTakesPasswordAndRestartChoice()
{
    QFETCH(bool, restart);
    QFETCH(QString, password);
    Open();
    auto* pRestart = m_pDlg->findChild<QCheckBox*>("IDC_AUTO_RESTART");
    auto* pPassword = m_pDlg->findChild<QLineEdit*>("IDC_PASSWORD");
    QVERIFY(pRestart->isChecked());
    QCOMPARE(pPassword->text(), QStringLiteral("lemon"));
    QCOMPARE(pPassword->echoMode(), QLineEdit::Password);

    if (!restart)
        QTest::mouseClick(pRestart, Qt::LeftButton, {}, QPoint(8, pRestart->height() / 2));
    pPassword->clear();
    QTest::keyClicks(pPassword, password);
    ClickOk();

    QCOMPARE(m_pTable->m_strPassword, password);
    QCOMPARE(m_pTable->m_bAutoRestart != 0, restart);
    const CVarDataGroup& grpSend = m_pTable->m_grpSend;
    QCOMPARE(grpSend.GetIndex(SET_RESTART), restart ? grpSend.GetSize() - 1 : -1);
}

void tst_COptionDlg::readOnlyRowWarnsAndIsNotEdited()
{
    Open();
    for (const char* pszName : {"Hw Ver", "admin password", "DeviceID"})
        DoubleClick(Row(pszName));

    QVERIFY(m_arrEdited.isEmpty());
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(3));
    for (const CRecordedMessage& message : std::as_const(m_messages.m_arrMessages)) {
        QCOMPARE(message.strText, QStringLiteral("Read-only parameter, can not be modified"));
        QCOMPARE(message.strCaption, QStringLiteral("Warnning"));
        QCOMPARE(message.nIcon, MSG_ICON_INFORMATION);
    }
}

void tst_COptionDlg::rightClickCopiesValueExceptFirstRow_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("copied");

    // clang-format off
    QTest::newRow("first row") << "IP Addr" << "";
    QTest::newRow("second row") << "Mask" << "255.255.255.0";
    QTest::newRow("device id") << "DeviceID" << DEVICE_ID;
    // clang-format on
}

void tst_COptionDlg::rightClickCopiesValueExceptFirstRow()
{
    QFETCH(QString, row);
    QFETCH(QString, copied);
    Open();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    RightClick(RowPoint(Row(row)));

    QCOMPARE(List()->currentRow(), Row(row));
    QCOMPARE(QGuiApplication::clipboard()->text(), copied.isEmpty() ? "before" : copied);
    QCOMPARE(m_messages.m_arrMessages.size(), size_t(copied.isEmpty() ? 0 : 1));
    if (!copied.isEmpty()) {
        QCOMPARE(m_messages.m_arrMessages[0].strText,
                 QStringLiteral("The device uuid saved to clipboard"));
        QCOMPARE(m_messages.m_arrMessages[0].strCaption, QCoreApplication::applicationName());
    }
}

void tst_COptionDlg::nothingSelectedDoesNothing()
{
    // Few rows, so the list has room below them.
    Open(Group({{INFO_IP, 'a', "192.168.1.20"},
                {INFO_HW_VERSION, 'd', "2"},
                {INFO_MASK, 'a', "255.255.255.0"}}));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    // The current row stays on a row whose selection is gone.
    List()->setCurrentCell(Row("Mask"), 0);
    List()->clearSelection();
    const QPoint below(10, List()->viewport()->height() - 2);
    QVERIFY(List()->itemAt(below) == nullptr);

    m_pDlg->OnParamDblClk();
    m_pDlg->OnParamRClick();
    RightClick(below);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, below);

    QVERIFY(m_messages.m_arrMessages.empty());
    QVERIFY(m_arrEdited.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void tst_COptionDlg::runnerEndsWithTheButtonPressed()
{
    m_pTable->m_grpParams = CardGroup();
    const ParamDialogRunner fnRun = MakeOptionDialogRunner(nullptr, m_messages.Sink());
    for (const bool bOk : {false, true}) {
        int nRows = -1;
        const CWhenModal modal([&nRows, bOk](QDialog* pModal) {
            if (auto* pList = pModal->findChild<QTableWidget*>("IDC_PARAM_LIST"))
                nRows = pList->rowCount();
            const char* pszButton = bOk ? "IDOK" : "IDCANCEL";
            pModal->findChild<QPushButton*>(pszButton)->click();
        });

        QCOMPARE(fnRun(*m_pTable), bOk);
        QCOMPARE(nRows, 15);
    }
    // OK sends the 11 writable rows and the restart request.
    QCOMPARE(m_pTable->m_grpSend.GetSize(), 12);
}

QTEST_MAIN(tst_COptionDlg)
#include "tst_coptiondlg.moc"
