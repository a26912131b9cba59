// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise: the desktop assistant.
#include "CardwiseApp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // --help is answered before a display is needed. Other arguments wait for QApplication,
    // which takes out its own options (-platform, ...) first.
    QStringList arrArgs;
    for (int i = 0; i < argc; ++i)
        arrArgs.append(QString::fromLocal8Bit(argv[i]));
    CCardwiseOptions options;
    QString strHelp;
    if (CCardwiseApp::ParseCommandLine(arrArgs, options, strHelp) == CCardwiseApp::PARSE_HELP) {
        std::fputs(strHelp.toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwise"));
    QApplication::setApplicationVersion(QStringLiteral(CARDWISE_VERSION));
    QApplication::setWindowIcon(CCardwiseDlg::AppIcon());
    QApplication::setDesktopFileName(QStringLiteral("cardwise"));

    CCardwiseApp cardwise;
    return cardwise.Run(QApplication::arguments());
}
