// cardwise: the desktop assistant.
#include "CardwiseApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwise"));
    QApplication::setApplicationVersion(QStringLiteral(CARDWISE_VERSION));
    QApplication::setWindowIcon(CCardwiseDlg::AppIcon());
    QApplication::setDesktopFileName(QStringLiteral("cardwise"));

    CCardwiseApp cardwise;
    return cardwise.Run(QApplication::arguments());
}
