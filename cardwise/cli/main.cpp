// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise-cli: search, show and set UPS network cards from the command line.
#include "CliArguments.h"
#include "CliDecode.h"
#include "CliSession.h"

#include "LmDebug.h"
#include "LmLang.h"

#include <QCoreApplication>

#include <climits>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cardwise-cli"));
    if (!SetLocalLang(GetSystemLangName().c_str(), 1))
        SetLocalLang("default", 1);

    SCliOptions options;
    QString strError;
    if (!ParseCliArguments(QCoreApplication::arguments().mid(1), options, strError)) {
        std::fprintf(stderr, "cardwise-cli: %s\nTry 'cardwise-cli --help'.\n",
                     strError.toUtf8().constData());
        return EXIT_USAGE;
    }
    // The tool's own output is what scripts read: protocol traces only on request.
    if (options.nTraceLevel >= 0)
        CLmDebug::Instance().SetThreshold(options.nTraceLevel);
    else if (!qEnvironmentVariableIsSet("CARDWISE_TRACE"))
        CLmDebug::Instance().SetThreshold(INT_MAX);

    switch (options.nCommand) {
    case CLI_HELP:
        std::fputs(CliUsage().toUtf8().constData(), stdout);
        return EXIT_OK;
    case CLI_DECODE:
        return RunDecode(options);
    case CLI_SEARCH:
        return CCliSession(options).RunSearch();
    case CLI_PARAMS:
        return CCliSession(options).RunParams();
    case CLI_SET:
        return CCliSession(options).RunSet();
    case CLI_APPLY:
        return CCliSession(options).RunApply();
    }
    return EXIT_USAGE;
}
