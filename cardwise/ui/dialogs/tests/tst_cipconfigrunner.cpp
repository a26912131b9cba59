// SPDX-License-Identifier: GPL-3.0-or-later
// The IpConfig button: the tool's output shown from its first character that is no line end,
// standard error included; a tool that can't start reported; one that never ends stopped.
#include "IpConfigRunner.h"

#include "MessageRecorder.h"

#include <QElapsedTimer>
#include <QTest>

class tst_CIpConfigRunner : public QObject
{
    Q_OBJECT

private slots:
    void outputIsShownWithoutLeadingLineEnds_data();
    void outputIsShownWithoutLeadingLineEnds();
    void toolThatCannotStartIsReported();
    void toolThatNeverEndsIsStopped();
};

void tst_CIpConfigRunner::outputIsShownWithoutLeadingLineEnds_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("shown");

    // clang-format off
    QTest::newRow("leading blank lines") << "printf '\\r\\n\\n1: lo\\r\\n\\r\\n'" << "1: lo\r\n\r\n";
    QTest::newRow("only line ends") << "printf '\\r\\n\\n'" << "";
    QTest::newRow("nothing") << "true" << "";
    QTest::newRow("blank before a line end") << "printf ' \\nx'" << " \nx";
    QTest::newRow("errors too") << "printf '\\nout\\n'; printf 'err\\n' >&2" << "out\nerr\n";
    // Far more than a pipe holds at once.
    QTest::newRow("long") << "printf '\\n'; head -c 200000 /dev/zero | tr '\\0' x"
                          << QString(200000, 'x');
    // clang-format on
}

void tst_CIpConfigRunner::outputIsShownWithoutLeadingLineEnds()
{
    QFETCH(QString, script);
    QFETCH(QString, shown);
    CMessageRecorder messages;
    const CIpConfigRunner runner(
        [&script](QByteArray& strOutput) {
            return RunToolWithTimeout(QStringLiteral("sh"), {QStringLiteral("-c"), script},
                                      CIpConfigRunner::TOOL_TIMEOUT_MS, strOutput);
        },
        messages.Sink());

    runner.OnIpConfig();

    QCOMPARE(messages.m_arrMessages.size(), size_t(1));
    QCOMPARE(messages.m_arrMessages[0].strText, shown);
    QCOMPARE(messages.m_arrMessages[0].strCaption, QStringLiteral("IpConfig Output"));
}

void tst_CIpConfigRunner::toolThatCannotStartIsReported()
{
    CMessageRecorder messages;
    const CIpConfigRunner runner(
        [](QByteArray& strOutput) {
            return RunToolWithTimeout(QStringLiteral("/nonexistent/ip"), {}, 1000, strOutput);
        },
        messages.Sink());

    runner.OnIpConfig();

    QCOMPARE(messages.m_arrMessages.size(), size_t(1));
    QCOMPARE(messages.m_arrMessages[0].strText, QStringLiteral("Command Ipcofig exec failed"));
    QCOMPARE(messages.m_arrMessages[0].strCaption, QCoreApplication::applicationName());
}

void tst_CIpConfigRunner::toolThatNeverEndsIsStopped()
{
    QByteArray strOutput;
    QElapsedTimer elapsed;
    elapsed.start();

    QVERIFY(RunToolWithTimeout(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("printf partial; exec sleep 60")}, 300, strOutput));

    QVERIFY2(elapsed.elapsed() < 30000, "the tool was not stopped");
    QCOMPARE(strOutput, QByteArray("partial"));
}

QTEST_GUILESS_MAIN(tst_CIpConfigRunner)
#include "tst_cipconfigrunner.moc"
