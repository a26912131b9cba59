// SPDX-License-Identifier: GPL-3.0-or-later
// CBatchSetupDlg: the "Batch Setup" dialog over CBatchSetup.
#include "BatchSetupDlg.h"

#include "CoreText.h"
#include "ui_BatchSetupDlg.h"

#include <LmLangWidgets.h>

#include <QFileDialog>
#include <QHeaderView>
#include <QTableWidget>

namespace {

// How often a running batch refreshes its table, in milliseconds.
constexpr qint64 REFRESH_MS = 200;

enum ECardColumn
{
    CARD_COL_MAC,
    CARD_COL_IP,
    CARD_COL_COUNT
};

enum EParamColumn
{
    PARAM_COL_CHANGE,
    PARAM_COL_NAME,
    PARAM_COL_VALUE,
    PARAM_COL_COUNT
};

QTableWidgetItem* NewItem(const QString& strText, Qt::ItemFlags nFlags)
{
    auto* pItem = new QTableWidgetItem(strText);
    pItem->setFlags(nFlags);
    return pItem;
}

void PrepareList(QTableWidget* pList, const QStringList& arrTitles)
{
    pList->setColumnCount(static_cast<int>(arrTitles.size()));
    pList->setHorizontalHeaderLabels(arrTitles);
    pList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pList->horizontalHeader()->setSectionsClickable(false);
    pList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    pList->verticalHeader()->setDefaultSectionSize(pList->fontMetrics().height() + 6);
}

} // namespace

CBatchSetupDlg::CBatchSetupDlg(CBatchSetup& setup, MessageBoxSink fnMessageBox,
                               BatchFileAsker fnAskFile, QWidget* parent)
    : QDialog(parent), m_pUi(std::make_unique<Ui::BatchSetupDlg>()), m_setup(setup),
      m_fnMessageBox(std::move(fnMessageBox)), m_fnAskFile(std::move(fnAskFile))
{
    m_pUi->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    PrepareList(m_pUi->IDC_BATCH_CARDS, {CDeviceListModel::ColumnTitle(CDeviceListModel::COL_MAC),
                                         CDeviceListModel::ColumnTitle(CDeviceListModel::COL_IP)});
    PrepareList(m_pUi->IDC_BATCH_PARAMS, {CardwiseCore::Tr("Change"), CardwiseCore::Tr("ParamName"),
                                          CardwiseCore::Tr("ParamValue")});
    m_pUi->IDC_BATCH_TABLE->verticalHeader()->setDefaultSectionSize(
        m_pUi->IDC_BATCH_TABLE->fontMetrics().height() + 6);
    m_pUi->IDC_AUTO_RESTART->setChecked(m_setup.GetAutoRestart());

    connect(m_pUi->IDC_BATCH_CARDS, &QTableWidget::itemChanged, this,
            &CBatchSetupDlg::OnCardChanged);
    connect(m_pUi->IDC_BATCH_PARAMS, &QTableWidget::itemChanged, this,
            &CBatchSetupDlg::OnParamChanged);
    connect(m_pUi->IDC_BATCH_ALL, &QPushButton::clicked, this, [this] { OnCheckAll(true); });
    connect(m_pUi->IDC_BATCH_NONE, &QPushButton::clicked, this, [this] { OnCheckAll(false); });
    connect(m_pUi->IDC_BATCH_LOAD_PLAN, &QPushButton::clicked, this, &CBatchSetupDlg::OnLoadPlan);
    connect(m_pUi->IDC_BATCH_PREVIEW, &QPushButton::clicked, this, &CBatchSetupDlg::OnPreview);
    connect(m_pUi->IDC_BATCH_RUN, &QPushButton::clicked, this, &CBatchSetupDlg::OnRun);
    connect(m_pUi->IDC_BATCH_SAVE, &QPushButton::clicked, this, &CBatchSetupDlg::OnSaveResults);
    connect(m_pUi->IDCANCEL, &QPushButton::clicked, this, &CBatchSetupDlg::reject);
    connect(m_pUi->IDC_PASSWORD, &QLineEdit::textChanged, this,
            [this](const QString& strText) { m_setup.SetPassword(strText); });
    connect(m_pUi->IDC_AUTO_RESTART, &QCheckBox::toggled, this,
            [this](bool bChecked) { m_setup.SetAutoRestart(bChecked); });
    m_setup.SetChangedHandler([this] {
        if (m_setup.GetStage() != CBatchSetup::STAGE_RUNNING)
            FillCards();
        ShowTable(m_setup.GetStage() != CBatchSetup::STAGE_RUNNING);
    });

    FillCards();
    FillParams();
    ShowTable(true);
    TranslateWindow(this);
}

CBatchSetupDlg::~CBatchSetupDlg()
{
    m_setup.SetChangedHandler(nullptr);
}

void CBatchSetupDlg::FillCards()
{
    m_bFilling = true;
    QTableWidget* pList = m_pUi->IDC_BATCH_CARDS;
    const std::vector<SBatchCard>& arrCards = m_setup.GetCards();
    pList->setRowCount(static_cast<int>(arrCards.size()));
    for (int nRow = 0; nRow < static_cast<int>(arrCards.size()); ++nRow) {
        const SBatchCard& card = arrCards[static_cast<std::size_t>(nRow)];
        QTableWidgetItem* pMac = NewItem(card.strMac, Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        pMac->setCheckState(card.bChecked ? Qt::Checked : Qt::Unchecked);
        pList->setItem(nRow, CARD_COL_MAC, pMac);
        pList->setItem(nRow, CARD_COL_IP, NewItem(card.strIp, Qt::ItemIsEnabled));
    }
    pList->resizeColumnToContents(CARD_COL_MAC);
    m_bFilling = false;
}

void CBatchSetupDlg::FillParams()
{
    m_bFilling = true;
    QTableWidget* pList = m_pUi->IDC_BATCH_PARAMS;
    const std::vector<SBatchParam>& arrParams = m_setup.GetParams();
    pList->setRowCount(static_cast<int>(arrParams.size()));
    for (int nRow = 0; nRow < static_cast<int>(arrParams.size()); ++nRow) {
        const SBatchParam& param = arrParams[static_cast<std::size_t>(nRow)];
        QTableWidgetItem* pChange = NewItem(QString(), Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        pChange->setCheckState(param.bChange ? Qt::Checked : Qt::Unchecked);
        pList->setItem(nRow, PARAM_COL_CHANGE, pChange);
        pList->setItem(nRow, PARAM_COL_NAME,
                       NewItem(CardwiseCore::Tr(param.strName.toLatin1().constData()),
                               Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        pList->setItem(
            nRow, PARAM_COL_VALUE,
            NewItem(param.strValue, Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsSelectable));
    }
    pList->resizeColumnToContents(PARAM_COL_CHANGE);
    pList->resizeColumnToContents(PARAM_COL_NAME);
    m_bFilling = false;
}

void CBatchSetupDlg::ShowTable(bool bForce)
{
    if (!bForce && m_lastShown.isValid() && m_lastShown.elapsed() < REFRESH_MS)
        return;
    m_lastShown.start();
    QTableWidget* pTable = m_pUi->IDC_BATCH_TABLE;
    const SBatchTable table = m_setup.GetTable();
    const bool bSameShape = pTable->columnCount() == table.arrHeader.size() &&
                            pTable->rowCount() == static_cast<int>(table.arrRows.size());
    if (!bSameShape) {
        pTable->clear();
        pTable->setColumnCount(static_cast<int>(table.arrHeader.size()));
        pTable->setRowCount(static_cast<int>(table.arrRows.size()));
    }
    pTable->setHorizontalHeaderLabels(table.arrHeader);
    // Only the cells that changed are set, so a run of many cards stays light.
    for (int nRow = 0; nRow < static_cast<int>(table.arrRows.size()); ++nRow) {
        const QStringList& arrRow = table.arrRows[static_cast<std::size_t>(nRow)];
        for (int nColumn = 0; nColumn < arrRow.size(); ++nColumn) {
            QTableWidgetItem* pItem = pTable->item(nRow, nColumn);
            if (pItem == nullptr)
                pTable->setItem(nRow, nColumn,
                                NewItem(arrRow[nColumn], Qt::ItemIsEnabled | Qt::ItemIsSelectable));
            else if (pItem->text() != arrRow[nColumn])
                pItem->setText(arrRow[nColumn]);
        }
    }
    // Outside a run's progress the columns fit what they hold (the results are wider).
    if (bForce || !bSameShape)
        pTable->resizeColumnsToContents();
    m_pUi->IDC_BATCH_STATUS->setText(m_setup.GetSummary());
    m_pUi->IDC_BATCH_PLAN_FILE->setText(m_setup.GetPlanFile());
    UpdateButtons();
}

void CBatchSetupDlg::UpdateButtons()
{
    const SBatchStates states = m_setup.GetStates();
    m_pUi->IDC_BATCH_CARDS->setEnabled(states.bCards);
    m_pUi->IDC_BATCH_ALL->setEnabled(states.bCards);
    m_pUi->IDC_BATCH_NONE->setEnabled(states.bCards);
    m_pUi->IDC_BATCH_PARAMS->setEnabled(states.bParams);
    m_pUi->IDC_BATCH_LOAD_PLAN->setEnabled(states.bForm);
    m_pUi->IDC_PASSWORD->setEnabled(states.bForm);
    m_pUi->IDC_AUTO_RESTART->setEnabled(states.bForm);
    m_pUi->IDC_BATCH_PREVIEW->setEnabled(states.bPreview);
    m_pUi->IDC_BATCH_RUN->setEnabled(states.bPreview);
    m_pUi->IDC_BATCH_SAVE->setEnabled(states.bSave);
}

void CBatchSetupDlg::OnCardChanged(QTableWidgetItem* pItem)
{
    if (m_bFilling || pItem->column() != CARD_COL_MAC)
        return;
    m_setup.SetCardChecked(pItem->row(), pItem->checkState() == Qt::Checked);
    ShowTable(true);
}

void CBatchSetupDlg::OnParamChanged(QTableWidgetItem* pItem)
{
    if (m_bFilling)
        return;
    const int nRow = pItem->row();
    if (pItem->column() == PARAM_COL_CHANGE)
        m_setup.SetParamChange(nRow, pItem->checkState() == Qt::Checked);
    else if (pItem->column() == PARAM_COL_VALUE) {
        // A typed value means the operator wants it changed.
        m_setup.SetParamValue(nRow, pItem->text());
        m_setup.SetParamChange(nRow, true);
        m_bFilling = true;
        m_pUi->IDC_BATCH_PARAMS->item(nRow, PARAM_COL_CHANGE)->setCheckState(Qt::Checked);
        m_bFilling = false;
    }
    ShowTable(true);
}

void CBatchSetupDlg::OnCheckAll(bool bChecked)
{
    m_setup.CheckAllCards(bChecked);
    FillCards();
    ShowTable(true);
}

QString CBatchSetupDlg::AskFile(bool bSave)
{
    if (m_fnAskFile)
        return m_fnAskFile(bSave);
    if (bSave)
        return QFileDialog::getSaveFileName(this, CardwiseCore::Tr("Save Results"),
                                            QStringLiteral("batch-results.csv"),
                                            CardwiseCore::Tr("CSV files (*.csv)"));
    return QFileDialog::getOpenFileName(this, CardwiseCore::Tr("Load Plan"), QString(),
                                        CardwiseCore::Tr("Plans (*.csv *.json)"));
}

void CBatchSetupDlg::OnLoadPlan()
{
    const QString strPath = AskFile(false);
    if (strPath.isEmpty())
        return;
    m_setup.LoadPlan(strPath);
    ShowTable(true);
}

void CBatchSetupDlg::OnPreview()
{
    m_setup.Preview();
    ShowTable(true);
}

void CBatchSetupDlg::OnRun()
{
    m_setup.Run();
    ShowTable(true);
}

void CBatchSetupDlg::OnSaveResults()
{
    const QString strPath = AskFile(true);
    QString strError;
    if (!strPath.isEmpty() && !m_setup.SaveResults(strPath, strError) && m_fnMessageBox)
        m_fnMessageBox(strError, CardwiseCore::Tr("Save Results"), MSG_ICON_STOP);
}

void CBatchSetupDlg::reject()
{
    m_setup.Stop();
    QDialog::reject();
}
