// cardwise: the desktop assistant.
#include "CardwiseApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // --help and bad arguments are answered before a display is needed.
    QStringList arrArgs;
    for (int i = 0; i < argc; ++i) {
        arrArgs.append(QString::fromLocal8Bit(argv[i]));
    }
    CCardwiseOptions options;
    int nExitCode = 0;
    if (CCardwiseApp::AnswerCommandLine(arrArgs, options, nExitCode)) {
        return nExitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwise"));
    QApplication::setApplicationVersion(QStringLiteral(CARDWISE_VERSION));
    QApplication::setWindowIcon(CCardwiseDlg::AppIcon());
    QApplication::setDesktopFileName(QStringLiteral("cardwise"));

    CCardwiseApp cardwise;
    return cardwise.Run(QApplication::arguments());
}
