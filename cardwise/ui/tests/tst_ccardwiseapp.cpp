// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the assistant: command line, socket check, language choice.
#include "CardwiseApp.h"

#include "MessageRecorder.h"

#include "LmLang.h"

#include <QApplication>
#include <QTest>

Q_DECLARE_METATYPE(CCardwiseApp::EParse)

class tst_CCardwiseApp : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void parseCommandLine_data();
    void parseCommandLine();
    void socketStartupFailureEndsWithMessage103();
    void languageFallsBackToDefault_data();
    void languageFallsBackToDefault();
};

void tst_CCardwiseApp::cleanup()
{
    SetLocalLang("default", 1);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_CCardwiseApp::parseCommandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<CCardwiseApp::EParse>("result");
    QTest::addColumn<bool>("hasSubnet");
    QTest::addColumn<uint>("address");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<int>("trace");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("range"); // "START-END" in hexadecimal, rate after a blank

    // The texts themselves are read by the shared parser (ProgramOptionsTest); these rows show
    // that the window hands its options to it.
    using A = CCardwiseApp;
    QTest::newRow("nothing") << QStringList{} << A::PARSE_RUN << false << 0u << 0u << -1 << ""
                             << "";
    QTest::newRow("subnet dotted mask")
        << QStringList{"--subnet", "127.0.0.1/255.255.255.255"} << A::PARSE_RUN << true
        << 0x7F000001u << 0xFFFFFFFFu << -1 << ""
        << "";
    QTest::newRow("trace and lang") << QStringList{"--trace", "20", "--lang", "zh_CN"}
                                    << A::PARSE_RUN << false << 0u << 0u << 20 << "zh_CN"
                                    << "";
    QTest::newRow("range and rate")
        << QStringList{"--range", "10.213.9.0-10.213.9.255", "--rate", "500"} << A::PARSE_RUN
        << false << 0u << 0u << -1 << ""
        << "0AD50900-0AD509FF 500";
    QTest::newRow("help") << QStringList{"--help"} << A::PARSE_HELP << false << 0u << 0u << -1 << ""
                          << "";
    QTest::newRow("subnet without mask")
        << QStringList{"--subnet", "10.0.0.1"} << A::PARSE_ERROR << false << 0u << 0u << -1 << ""
        << "";
    QTest::newRow("subnet and range")
        << QStringList{"--subnet", "10.0.0.0/24", "--range", "10.0.0.1-10.0.0.9"} << A::PARSE_ERROR
        << false << 0u << 0u << -1 << ""
        << "";
    QTest::newRow("trace not a number")
        << QStringList{"--trace", "high"} << A::PARSE_ERROR << false << 0u << 0u << -1 << ""
        << "";
    QTest::newRow("stray argument")
        << QStringList{"extra"} << A::PARSE_ERROR << false << 0u << 0u << -1 << ""
        << "";
}

void tst_CCardwiseApp::parseCommandLine()
{
    QFETCH(QStringList, args);
    QFETCH(CCardwiseApp::EParse, result);
    QFETCH(bool, hasSubnet);
    QFETCH(uint, address);
    QFETCH(uint, mask);
    QFETCH(int, trace);
    QFETCH(QString, lang);
    QFETCH(QString, range);

    CCardwiseOptions options;
    QString strMessage;
    QCOMPARE(CCardwiseApp::ParseCommandLine(QStringList{"cardwise"} + args, options, strMessage),
             result);
    QCOMPARE(strMessage.isEmpty(), result == CCardwiseApp::PARSE_RUN);
    if (result != CCardwiseApp::PARSE_RUN)
        return;
    QCOMPARE(options.subnet.has_value(), hasSubnet);
    if (hasSubnet) {
        QCOMPARE(options.subnet->dwAddress, address);
        QCOMPARE(options.subnet->dwMask, mask);
    }
    QCOMPARE(options.nTrace.value_or(-1), trace);
    QCOMPARE(options.strLang, lang);
    const QString strRange = options.range
                                 ? QStringLiteral("%1-%2 %3")
                                       .arg(options.range->dwStart, 8, 16, QLatin1Char('0'))
                                       .arg(options.range->dwEnd, 8, 16, QLatin1Char('0'))
                                       .arg(options.nRate)
                                       .toUpper()
                                 : QString();
    QCOMPARE(strRange, range);
}

void tst_CCardwiseApp::socketStartupFailureEndsWithMessage103()
{
    CMessageRecorder messages;
    CCardwiseApp::CServices services;
    services.fnSocketStartup = [] { return false; };
    services.fnMessageBox = messages.Sink();
    CCardwiseApp app(services);

    CCardwiseOptions options;
    options.strLang = QStringLiteral("Lang0804");

    QVERIFY(!app.InitInstance(options));
    QCOMPARE(messages.m_arrMessages.size(), size_t(1));
    QCOMPARE(messages.m_arrMessages[0].strText, QStringLiteral("Windows 通信端口初始化失败。"));
    QCOMPARE(messages.m_arrMessages[0].strCaption, QCoreApplication::applicationName());
    // The program ends there: no language was chosen and no window opened.
    QCOMPARE(QString::fromStdString(GetLocalLang()), QStringLiteral("default"));
}

void tst_CCardwiseApp::languageFallsBackToDefault_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("loaded");

    QTest::newRow("catalogue name") << "Lang0804"
                                    << "Lang0804";
    QTest::newRow("locale name") << "zh_CN"
                                 << "Lang0804";
    // A language without a catalogue must not leave the previous one in effect.
    QTest::newRow("no such catalogue") << "Lang0409"
                                       << "default";
    QTest::newRow("unknown locale") << "xx_YY"
                                    << "default";
}

void tst_CCardwiseApp::languageFallsBackToDefault()
{
    QFETCH(QString, choice);
    QFETCH(QString, loaded);

    // Given some other language in effect before
    QCOMPARE(SetLocalLang("Lang0804", 1), 1);
    CCardwiseApp::CServices services;
    services.fnSocketStartup = [] { return true; };
    CCardwiseApp app(services);
    CCardwiseOptions options;
    options.strLang = choice;

    QVERIFY(app.InitInstance(options));
    QCOMPARE(QString::fromStdString(GetLocalLang()), loaded);
}

QTEST_MAIN(tst_CCardwiseApp)
#include "tst_ccardwiseapp.moc"
