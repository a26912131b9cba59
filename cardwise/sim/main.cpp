// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise-sim: answers card searches and set requests like a fleet of network cards.
#include "CardSimulator.h"
#include "LmDebug.h"
#include "SimArguments.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr int EXIT_USAGE = 1;
constexpr int EXIT_SOCKET = 2;

int Fail(int nCode, const QString& strMessage)
{
    std::fprintf(stderr, "cardwise-sim: %s\n", strMessage.toLocal8Bit().constData());
    return nCode;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cardwise-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CARDWISE_VERSION));

    SSimArguments args;
    QString strError;
    if (!ParseSimArguments(QCoreApplication::arguments().mid(1), args, strError))
        return Fail(EXIT_USAGE, strError);
    if (args.bHelp) {
        std::fputs(SimUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (args.bVersion) {
        std::printf("cardwise-sim %s\n", CARDWISE_VERSION);
        return 0;
    }
    if (args.nTraceLevel >= 0)
        CLmDebug::Instance().SetThreshold(args.nTraceLevel);

    std::vector<CSimCard> arrCards;
    CCardSimulator::COptions options;
    if (!LoadSimSetup(args, arrCards, options, strError))
        return Fail(EXIT_USAGE, strError);

    const std::size_t nCount = arrCards.size();
    CCardSimulator simulator(std::move(arrCards), options);
    if (!simulator.Start(strError))
        return Fail(EXIT_SOCKET, strError);
    std::printf("cardwise-sim: %zu cards on %s:%u\n", nCount,
                options.strBind.toLatin1().constData(), options.nPort);
    std::fflush(stdout);
    return QCoreApplication::exec();
}
