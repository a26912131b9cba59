// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard entry and value access of the IP address control.
#include "IPAddressCtrl.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class tst_CIPAddressCtrl : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void typedAddress_data();
    void typedAddress();
    void backspaceInEmptyFieldMovesBack();
    void valueHasFirstFieldInMostSignificantByte();
    void tabLeavesTheControl();

private:
    // A shown control with the focus in its first field.
    static std::unique_ptr<CIPAddressCtrl> MakeFocused();
    static int FocusedField(const CIPAddressCtrl& ctrl);
    // Each key goes to whichever field has the focus at that moment, as typing does.
    static void TypeKeys(const QString& strKeys);
};

void tst_CIPAddressCtrl::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

std::unique_ptr<CIPAddressCtrl> tst_CIPAddressCtrl::MakeFocused()
{
    auto pCtrl = std::make_unique<CIPAddressCtrl>();
    pCtrl->show();
    pCtrl->activateWindow();
    if (!QTest::qWaitForWindowActive(pCtrl.get()))
        return nullptr;
    pCtrl->setFocus();
    return pCtrl;
}

int tst_CIPAddressCtrl::FocusedField(const CIPAddressCtrl& ctrl)
{
    for (int i = 0; i < 4; ++i) {
        if (ctrl.Field(i)->hasFocus())
            return i;
    }
    return -1;
}

void tst_CIPAddressCtrl::TypeKeys(const QString& strKeys)
{
    for (const QChar c : strKeys)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void tst_CIPAddressCtrl::typedAddress_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<uint>("address");
    QTest::addColumn<int>("filled");

    QTest::newRow("dots between octets") << "10.1.2.3"
                                         << "10|1|2|3" << 0x0A010203u << 4;
    // Three digits complete an octet and move on; "001" reads as 1 and shows as 1 once left.
    QTest::newRow("three digits advance") << "192168001010"
                                          << "192|168|1|010" << 0xC0A8010Au << 4;
    QTest::newRow("dot after full octet") << "192.168.1.10"
                                          << "192|168|1|10" << 0xC0A8010Au << 4;
    QTest::newRow("value clamped to 255") << "300.999.256.7"
                                          << "255|255|255|7" << 0xFFFFFF07u << 4;
    QTest::newRow("letters ignored") << "1a0.x2"
                                     << "10|2||" << 0x0A020000u << 2;
    QTest::newRow("dot in empty field ignored") << "..7"
                                                << "7|||" << 0x07000000u << 1;
    QTest::newRow("fourth field stops at three digits") << "1.2.3.1234"
                                                        << "1|2|3|123" << 0x0102037Bu << 4;
}

void tst_CIPAddressCtrl::typedAddress()
{
    QFETCH(QString, keys);
    QFETCH(QString, fields);
    QFETCH(uint, address);
    QFETCH(int, filled);

    auto pCtrl = MakeFocused();
    QVERIFY(pCtrl);
    TypeKeys(keys);

    QStringList arrActual;
    for (int i = 0; i < 4; ++i)
        arrActual << pCtrl->Field(i)->text();
    QCOMPARE(arrActual.join(QLatin1Char('|')), fields);
    std::uint32_t dwValue = 0;
    QCOMPARE(pCtrl->GetAddress(dwValue), filled);
    QCOMPARE(dwValue, address);
}

void tst_CIPAddressCtrl::backspaceInEmptyFieldMovesBack()
{
    auto pCtrl = MakeFocused();
    QVERIFY(pCtrl);
    TypeKeys(QStringLiteral("12.34."));
    QCOMPARE(FocusedField(*pCtrl), 2);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(FocusedField(*pCtrl), 1);
    QCOMPARE(pCtrl->Field(1)->text(), QStringLiteral("34"));
    // Back in the previous field the key deletes as usual.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(pCtrl->Field(1)->text(), QStringLiteral("3"));
    QCOMPARE(pCtrl->GetAddress(), 0x0C030000u);
}

void tst_CIPAddressCtrl::valueHasFirstFieldInMostSignificantByte()
{
    CIPAddressCtrl ctrl;
    QSignalSpy changed(&ctrl, &CIPAddressCtrl::addressChanged);
    QVERIFY(ctrl.IsBlank());
    std::uint32_t dwValue = 0xDEADBEEF;
    QCOMPARE(ctrl.GetAddress(dwValue), 0);
    QCOMPARE(dwValue, 0u);

    ctrl.SetAddress(0xC0A80164);
    QCOMPARE(ctrl.Field(0)->text(), QStringLiteral("192"));
    QCOMPARE(ctrl.Field(3)->text(), QStringLiteral("100"));
    QCOMPARE(ctrl.GetAddress(), 0xC0A80164u);
    QVERIFY(!changed.isEmpty());

    // A blank field among filled ones reads as 0
    ctrl.Field(1)->clear();
    QCOMPARE(ctrl.GetAddress(dwValue), 3);
    QCOMPARE(dwValue, 0xC0000164u);
    // 0.0.0.0 is an address, not a blank control
    ctrl.SetAddress(0);
    QVERIFY(!ctrl.IsBlank());
    ctrl.ClearAddress();
    QVERIFY(ctrl.IsBlank());
}

void tst_CIPAddressCtrl::tabLeavesTheControl()
{
    QWidget window;
    auto* pBefore = new QLineEdit(&window);
    auto* pCtrl = new CIPAddressCtrl(&window);
    auto* pAfter = new QLineEdit(&window);
    QWidget::setTabOrder(pBefore, pCtrl);
    QWidget::setTabOrder(pCtrl, pAfter);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    pBefore->setFocus();
    QTest::keyClick(pBefore, Qt::Key_Tab);
    QVERIFY(pCtrl->Field(0)->hasFocus());
    // From any field, Tab goes on to the next control rather than the next octet.
    pCtrl->Field(2)->setFocus();
    QTest::keyClick(pCtrl->Field(2), Qt::Key_Tab);
    QVERIFY(pAfter->hasFocus());
    QTest::keyClick(pAfter, Qt::Key_Backtab);
    QVERIFY(pCtrl->Field(0)->hasFocus());
}

QTEST_MAIN(tst_CIPAddressCtrl)
#include "tst_cipaddressctrl.moc"
