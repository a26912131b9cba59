// SPDX-License-Identifier: GPL-3.0-or-later
// CCardwiseApp: start-up of the assistant.
#include "CardwiseApp.h"

#include "MessageBox.h"
#include "ProgramOptions.h"
#include "Resource.h"

#include "LmDebug.h"
#include "LmLang.h"

#include <QCommandLineParser>

#include <cstdio>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// The socket layer is usable when a UDP socket can be created; nothing is bound or sent.
bool SocketStartup()
{
    const int nSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (nSocket < 0)
        return false;
    ::close(nSocket);
    return true;
}

} // namespace

CCardwiseApp::CCardwiseApp(CServices services) : m_services(std::move(services))
{
    if (!m_services.fnSocketStartup)
        m_services.fnSocketStartup = SocketStartup;
    if (!m_services.fnMessageBox)
        m_services.fnMessageBox = WidgetMessageBoxSink(nullptr);
}

CCardwiseApp::EParse CCardwiseApp::ParseCommandLine(const QStringList& arrArgs,
                                                    CCardwiseOptions& options, QString& strMessage)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Finds the network cards of Vantor UPS units and changes their settings."));
    const QCommandLineOption optHelp(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                     QStringLiteral("Show this help and exit."));
    const QCommandLineOption optSubnet(
        QStringLiteral("subnet"),
        QStringLiteral("Start with a search of one subnet instead of the PC's own networks; "
                       "MASK is a dotted quad or a prefix length."),
        QStringLiteral("ADDRESS/MASK"));
    const QCommandLineOption optRange(
        QStringLiteral("range"),
        QStringLiteral("Start with a sweep of every address from START to END (at most 65536), "
                       "which also finds cards behind routers."),
        QStringLiteral("START-END"));
    const QCommandLineOption optRate(
        QStringLiteral("rate"),
        QStringLiteral("Requests per second of a range sweep (default 2000)."),
        QStringLiteral("N"));
    const QCommandLineOption optLang(
        QStringLiteral("lang"),
        QStringLiteral("Interface language: Lang0804, default, or a locale name such as zh_CN."),
        QStringLiteral("NAME"));
    const QCommandLineOption optTrace(
        QStringLiteral("trace"),
        QStringLiteral("Write trace lines of this level and above to standard error "
                       "(0 all, 20 frames, 40 warnings)."),
        QStringLiteral("LEVEL"));
    QCommandLineOption optPrint(QStringLiteral("print-devices"));
    optPrint.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption optExit(QStringLiteral("exit-after-search"));
    optExit.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions(
        {optHelp, optSubnet, optRange, optRate, optLang, optTrace, optPrint, optExit});

    if (!parser.parse(arrArgs)) {
        strMessage = parser.errorText();
        return PARSE_ERROR;
    }
    if (parser.isSet(optHelp)) {
        // Without an application object the parser cannot name the program itself.
        strMessage = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                               QStringLiteral("cardwise"));
        return PARSE_HELP;
    }
    if (!parser.positionalArguments().isEmpty()) {
        strMessage =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return PARSE_ERROR;
    }
    if (parser.isSet(optSubnet)) {
        CardwiseCore::SSubnet subnet;
        if (!CardwiseCore::ParseSubnetOption(parser.value(optSubnet), subnet, strMessage))
            return PARSE_ERROR;
        options.subnet = subnet;
    }
    if (parser.isSet(optRange)) {
        CardwiseCore::SRange range;
        if (options.subnet) {
            strMessage = QStringLiteral("--subnet and --range exclude each other");
            return PARSE_ERROR;
        }
        if (!CardwiseCore::ParseRangeOption(parser.value(optRange), range, strMessage))
            return PARSE_ERROR;
        options.range = range;
    }
    if (parser.isSet(optRate) &&
        !CardwiseCore::ParseRateOption(parser.value(optRate), options.nRate, strMessage))
        return PARSE_ERROR;
    if (parser.isSet(optTrace)) {
        int nLevel = 0;
        if (!CardwiseCore::ParseTraceOption(parser.value(optTrace), nLevel, strMessage))
            return PARSE_ERROR;
        options.nTrace = nLevel;
    }
    options.strLang = parser.value(optLang);
    options.bPrintDevices = parser.isSet(optPrint);
    options.bExitAfterSearch = parser.isSet(optExit);
    return PARSE_RUN;
}

QString CCardwiseApp::LanguageName(const QString& strChoice)
{
    if (strChoice.isEmpty())
        return QString::fromStdString(GetSystemLangName());
    if (strChoice == QLatin1String("default") || strChoice.startsWith(QLatin1String("Lang")))
        return strChoice;
    return QString::fromStdString(LangNameForLocale(strChoice.toStdString()));
}

bool CCardwiseApp::InitInstance(const CCardwiseOptions& options)
{
    if (options.nTrace)
        CLmDebug::Instance().SetThreshold(*options.nTrace);
    if (!m_services.fnSocketStartup()) {
        const QString strTitle = QCoreApplication::applicationName();
        m_services.fnMessageBox(QString::fromUtf8(LoadResString(IDS_SOCKETS_INIT_FAILED)), strTitle,
                                MSG_ICON_NONE);
        return false;
    }
    const QByteArray strLang = LanguageName(options.strLang).toLatin1();
    if (SetLocalLang(strLang.constData(), 1) == 0)
        SetLocalLang("default", 1);
    return true;
}

int CCardwiseApp::RunMainWindow(const CCardwiseOptions& options)
{
    CCardwiseDlgServices services = m_services.dlg;
    if (options.subnet)
        services.initialSubnet = options.subnet;
    if (options.range)
        services.initialRange = options.range;
    services.nRangeRate = options.nRate;
    CCardwiseDlg dlg(std::move(services));
    if (options.bPrintDevices || options.bExitAfterSearch) {
        // Queued, so the window has repainted the finished search by the time a script that
        // waits for the rows takes its picture.
        QObject::connect(
            &dlg, &CCardwiseDlg::searchFinished, &dlg,
            [this, &dlg, options] {
                if (options.bPrintDevices)
                    PrintDevices(dlg);
                if (options.bExitAfterSearch)
                    dlg.reject();
            },
            Qt::QueuedConnection);
    }
    dlg.exec();
    return 0;
}

int CCardwiseApp::Run(const QStringList& arrArgs)
{
    CCardwiseOptions options;
    QString strMessage;
    switch (ParseCommandLine(arrArgs, options, strMessage)) {
    case PARSE_HELP:
        std::fputs(strMessage.toLocal8Bit().constData(), stdout);
        return 0;
    case PARSE_ERROR:
        std::fprintf(stderr, "cardwise: %s\n", strMessage.toLocal8Bit().constData());
        return 2;
    case PARSE_RUN:
        break;
    }
    if (!InitInstance(options))
        return 1;
    return RunMainWindow(options);
}

void CCardwiseApp::PrintDevices(CCardwiseDlg& dlg) const
{
    // One line per row as the list shows it, the hidden key column left out.
    const CDeviceListModel& list = dlg.GetCore().GetDeviceList();
    for (int nRow = 0; nRow < list.GetItemCount(); ++nRow) {
        QStringList arrCells;
        for (int nColumn = CDeviceListModel::COL_ACTUAL_IP; nColumn < CDeviceListModel::COL_COUNT;
             ++nColumn) {
            arrCells.append(list.GetItemText(nRow, nColumn));
        }
        std::printf("device\t%s\n", arrCells.join(QLatin1Char('\t')).toUtf8().constData());
    }
    std::printf("search finished\t%d\n", list.GetItemCount());
    std::fflush(stdout);
}
