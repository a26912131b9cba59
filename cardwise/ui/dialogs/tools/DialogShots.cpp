// SPDX-License-Identifier: GPL-3.0-or-later
// cardwise-dialog-shots: the assistant as it ships, with its dialogs wired in, that opens one
// dialog by itself once the first search has ended, so tools/screenshot.sh can take its picture.
//
//   cardwise-dialog-shots --dialog option|param-edit|about|compare|batch [--param NAME]
//                         [--list FILE] [--plan FILE] [cardwise options]
//
// option: the Setup flow for the first card; param-edit: that, then the edit dialog for the
// parameter NAME (default "HTTP Port"); about: the About box; compare: no dialog, the main
// window compared with the saved list FILE; batch: Batch Setup running the plan FILE under the
// password "lemon" without the restart wait, shown once its result table is complete. Once the
// dialog (or the compared window) is on screen the line "dialog shown<TAB><window title>" goes to
// standard output. Every other option is the assistant's own (--subnet, --lang, ...). Not
// installed: a documentation aid only.
#include "AboutDlg.h"
#include "CardwiseApp.h"
#include "MessageBox.h"
#include "OptionDlg.h"
#include "ParamEditDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

struct CShotOptions
{
    QString strDialog;
    QString strParam = QStringLiteral("HTTP Port");
    QString strList;
    QString strPlan;
};

// Takes this tool's own options out of arrArgs.
bool TakeShotOptions(QStringList& arrArgs, CShotOptions& options)
{
    for (int i = 1; i < arrArgs.size();) {
        const QString& strArg = arrArgs[i];
        if ((strArg == QLatin1String("--dialog") || strArg == QLatin1String("--param") ||
             strArg == QLatin1String("--list") || strArg == QLatin1String("--plan")) &&
            i + 1 < arrArgs.size()) {
            (strArg == QLatin1String("--dialog")  ? options.strDialog
             : strArg == QLatin1String("--param") ? options.strParam
             : strArg == QLatin1String("--list")  ? options.strList
                                                  : options.strPlan) = arrArgs[i + 1];
            arrArgs.remove(i, 2);
        } else {
            ++i;
        }
    }
    return options.strDialog == QLatin1String("option") ||
           options.strDialog == QLatin1String("param-edit") ||
           options.strDialog == QLatin1String("about") ||
           (options.strDialog == QLatin1String("compare") && !options.strList.isEmpty()) ||
           (options.strDialog == QLatin1String("batch") && !options.strPlan.isEmpty());
}

void Announce(const QWidget* pDialog)
{
    std::printf("dialog shown\t%s\n", pDialog->windowTitle().toUtf8().constData());
    std::fflush(stdout);
}

// Follows the windows as they come: the main window, then the dialog asked for.
class CShotDriver : public QObject
{
public:
    explicit CShotDriver(CShotOptions options) : m_options(std::move(options))
    {
        connect(&m_timer, &QTimer::timeout, this, &CShotDriver::Poll);
        m_timer.start(50);
    }

    QPointer<QWidget> m_pMain;

private:
    void Poll()
    {
        if (!m_pMain) {
            for (QWidget* pWidget : QApplication::topLevelWidgets()) {
                if (auto* pDlg = qobject_cast<CCardwiseDlg*>(pWidget)) {
                    m_pMain = pDlg;
                    // Queued: the window shows the finished search before a dialog covers it.
                    connect(pDlg, &CCardwiseDlg::searchFinished, this, &CShotDriver::OpenDialog,
                            Qt::QueuedConnection);
                }
            }
            return;
        }
        if (m_bCompared) {
            // Announced one tick after the comparison, so the window shows it.
            if (m_pAnnounced == nullptr && !m_bComparePainted)
                m_bComparePainted = true;
            else if (m_pAnnounced == nullptr) {
                m_pAnnounced = m_pMain;
                Announce(m_pMain);
            }
            return;
        }
        QWidget* pModal = QApplication::activeModalWidget();
        if (pModal == nullptr || pModal == m_pMain || pModal == m_pAnnounced)
            return;
        if (auto* pOption = qobject_cast<COptionDlg*>(pModal);
            pOption && m_options.strDialog == QLatin1String("param-edit")) {
            if (!m_bEditRequested) {
                m_bEditRequested = true;
                SelectParam(*pOption);
                // The handler runs the edit dialog modally; it must not run inside Poll.
                QTimer::singleShot(0, pOption, &COptionDlg::OnParamDblClk);
            }
            return;
        }
        if (auto* pRun = pModal->findChild<QPushButton*>(QStringLiteral("IDC_BATCH_RUN"))) {
            if (!m_bBatchStarted) {
                m_bBatchStarted = true;
                // Load Plan asks the file service, which answers the plan given.
                pModal->findChild<QPushButton*>(QStringLiteral("IDC_BATCH_LOAD_PLAN"))->click();
                pModal->findChild<QLineEdit*>(QStringLiteral("IDC_PASSWORD"))
                    ->setText(QStringLiteral("lemon"));
                pModal->findChild<QCheckBox*>(QStringLiteral("IDC_AUTO_RESTART"))
                    ->setChecked(false);
                pRun->click();
            }
            // The picture is of the results.
            if (!pModal->findChild<QPushButton*>(QStringLiteral("IDC_BATCH_SAVE"))->isEnabled())
                return;
        }
        // Announced one tick after it is exposed, so it has been painted.
        if (pModal->windowHandle() == nullptr || !pModal->windowHandle()->isExposed())
            return;
        if (m_pCandidate != pModal) {
            m_pCandidate = pModal;
            return;
        }
        m_pAnnounced = pModal;
        Announce(pModal);
    }

    void OpenDialog()
    {
        if (m_bOpened)
            return;
        m_bOpened = true;
        auto* pMain = qobject_cast<CCardwiseDlg*>(m_pMain.data());
        if (m_options.strDialog == QLatin1String("about"))
            ShowAboutBox(pMain);
        else if (m_options.strDialog == QLatin1String("batch") && pMain != nullptr)
            pMain->findChild<QAction*>(QStringLiteral("IDM_BATCH_SETUP"))->trigger();
        else if (m_options.strDialog == QLatin1String("compare") && pMain != nullptr)
            m_bCompared = pMain->GetCore().CompareWithSavedList(m_options.strList);
        else if (pMain != nullptr && pMain->GetCore().GetDeviceList().GetItemCount() > 0)
            pMain->GetCore().SetupDevice(0);
        else
            std::fputs("cardwise-dialog-shots: no card was found\n", stderr);
    }

    void SelectParam(COptionDlg& dlg) const
    {
        COptionTable& table = dlg.GetTable();
        for (int nRow = 0; nRow < table.GetItemCount(); ++nRow) {
            if (table.GetSourceName(nRow) == m_options.strParam) {
                auto* pList = dlg.findChild<QTableWidget*>(QStringLiteral("IDC_PARAM_LIST"));
                pList->selectRow(nRow);
                pList->scrollToItem(pList->item(nRow, 0));
                return;
            }
        }
    }

    CShotOptions m_options;
    QTimer m_timer;
    QPointer<QWidget> m_pCandidate;
    QPointer<QWidget> m_pAnnounced;
    bool m_bOpened = false;
    bool m_bEditRequested = false;
    bool m_bCompared = false;
    bool m_bComparePainted = false;
    bool m_bBatchStarted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwise"));
    QApplication::setWindowIcon(CCardwiseDlg::AppIcon());

    QStringList arrArgs = QApplication::arguments();
    CShotOptions options;
    if (!TakeShotOptions(arrArgs, options)) {
        std::fputs("usage: cardwise-dialog-shots --dialog option|param-edit|about|compare|batch "
                   "[--param NAME] [--list FILE] [--plan FILE] [cardwise options]\n",
                   stderr);
        return 2;
    }

    CShotDriver driver(options);
    CCardwiseApp::CServices services;
    services.dlg.core.fnRunParamDialog = [&driver](COptionTable& table) {
        return MakeOptionDialogRunner(driver.m_pMain, WidgetMessageBoxSink(driver.m_pMain))(table);
    };
    services.dlg.fnAskBatchFile = [&options](bool bSave) {
        return bSave ? QString() : options.strPlan;
    };
    CCardwiseApp cardwise(std::move(services));
    return cardwise.Run(arrArgs);
}
