// SPDX-License-Identifier: GPL-3.0-or-later
// COptionDlg: the "OPTION" dialog over the parameter table.
#include "OptionDlg.h"

#include "ParamEditDlg.h"
#include "ui_OptionDlg.h"

#include <LmLangWidgets.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPointer>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>

namespace {

// Column widths in pixels, in the order of COptionTable's columns.
constexpr int COLUMN_WIDTHS[COptionTable::COL_COUNT] = {20, 120, 200, 160};

} // namespace

COptionDlg::COptionDlg(COptionTable& table, MessageBoxSink fnMessageBox, QWidget* parent,
                       ParamEditRunner fnEditParam)
    : QDialog(parent), m_pUi(std::make_unique<Ui::OptionDlg>()), m_table(table),
      m_fnMessageBox(std::move(fnMessageBox)),
      m_fnEditParam(fnEditParam ? std::move(fnEditParam) : ParamEditRunner(RunParamEditDlg))
{
    m_pUi->setupUi(this);
    m_listParams = m_pUi->IDC_PARAM_LIST;

    connect(m_pUi->IDOK, &QPushButton::clicked, this, &COptionDlg::accept);
    connect(m_pUi->IDCANCEL, &QPushButton::clicked, this, &COptionDlg::reject);
    connect(m_listParams, &QTableWidget::doubleClicked, this, &COptionDlg::OnParamDblClk);
    m_listParams->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_listParams, &QTableWidget::customContextMenuRequested, this,
            &COptionDlg::OnParamRClick);
    // The table holds the rows; the list shows them.
    connect(&m_table, &COptionTable::modelReset, this, &COptionDlg::FillParamList);
    connect(&m_table, &COptionTable::dataChanged, this, &COptionDlg::OnTableDataChanged);

    OnInitDialog();
}

COptionDlg::~COptionDlg() = default;

void COptionDlg::OnInitDialog()
{
    UpdateData(false);
    InitParamList();
    TranslateWindow(this);
    m_table.LoadParams();
}

void COptionDlg::InitParamList()
{
    m_listParams->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listParams->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listParams->setShowGrid(true);
    m_listParams->setSortingEnabled(false);
    m_listParams->setColumnCount(COptionTable::COL_COUNT);

    QHeaderView* pHeader = m_listParams->horizontalHeader();
    pHeader->setSectionsClickable(false);
    pHeader->setSectionsMovable(false);
    pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pHeader->setMinimumSectionSize(0);
    QStringList arrTitles;
    for (int nColumn = 0; nColumn < COptionTable::COL_COUNT; ++nColumn)
        arrTitles.append(m_table.headerData(nColumn, Qt::Horizontal).toString());
    m_listParams->setHorizontalHeaderLabels(arrTitles);
    // A title wider than its column (a translated one, "No." at 20 pixels) widens it.
    int nTotal = 0;
    for (int nColumn = 0; nColumn < COptionTable::COL_COUNT; ++nColumn) {
        const int nWidth = std::max(COLUMN_WIDTHS[nColumn], pHeader->sectionSizeHint(nColumn));
        pHeader->resizeSection(nColumn, nWidth);
        nTotal += nWidth;
    }

    QHeaderView* pRows = m_listParams->verticalHeader();
    pRows->setSectionResizeMode(QHeaderView::Fixed);
    pRows->setDefaultSectionSize(m_listParams->fontMetrics().height() + 6);

    // Open wide enough to show every column beside the vertical scroll bar; the operator may
    // still make the dialog narrower.
    const int nListWidth =
        nTotal + 2 * m_listParams->frameWidth() +
        m_listParams->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_listParams);
    m_listParams->setMinimumWidth(nListWidth);
    const int nDialogWidth = sizeHint().width();
    m_listParams->setMinimumWidth(0);
    resize(std::max(width(), nDialogWidth), height());
}

void COptionDlg::FillParamList()
{
    const int nRows = m_table.GetItemCount();
    m_listParams->clearContents();
    m_listParams->setRowCount(nRows);
    for (int nRow = 0; nRow < nRows; ++nRow) {
        for (int nColumn = 0; nColumn < COptionTable::COL_COUNT; ++nColumn) {
            auto* pItem = new QTableWidgetItem(m_table.GetItemText(nRow, nColumn));
            pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            m_listParams->setItem(nRow, nColumn, pItem);
        }
    }
}

void COptionDlg::OnTableDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    for (int nRow = topLeft.row(); nRow <= bottomRight.row(); ++nRow) {
        for (int nColumn = topLeft.column(); nColumn <= bottomRight.column(); ++nColumn) {
            if (QTableWidgetItem* pItem = m_listParams->item(nRow, nColumn))
                pItem->setText(m_table.GetItemText(nRow, nColumn));
        }
    }
}

void COptionDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_table.m_strPassword = m_pUi->IDC_PASSWORD->text();
        m_table.m_bAutoRestart = m_pUi->IDC_AUTO_RESTART->isChecked() ? 1 : 0;
    } else {
        m_pUi->IDC_PASSWORD->setText(m_table.m_strPassword);
        m_pUi->IDC_AUTO_RESTART->setChecked(m_table.m_bAutoRestart != 0);
    }
}

int COptionDlg::GetSelectedRow() const
{
    const QModelIndexList arrRows = m_listParams->selectionModel()->selectedRows();
    return arrRows.size() == 1 ? arrRows.first().row() : -1;
}

void COptionDlg::MessageBox(const QString& strText, const QString& strCaption, EMsgIcon nIcon) const
{
    if (m_fnMessageBox)
        m_fnMessageBox(strText, strCaption, nIcon);
}

void COptionDlg::accept()
{
    UpdateData(true);
    if (m_table.OnOK(m_fnMessageBox) != COptionTable::CHECK_OK)
        return;
    QDialog::accept();
}

void COptionDlg::OnParamDblClk()
{
    const int nRow = GetSelectedRow();
    if (nRow < 0 || !m_table.CheckEditable(nRow, m_fnMessageBox))
        return;
    const std::optional<QString> strNew =
        m_fnEditParam(this, m_table.GetItemText(nRow, COptionTable::COL_NAME),
                      m_table.GetItemText(nRow, COptionTable::COL_VALUE));
    // Nothing is sent yet: OK sends every writable row as the list shows it.
    if (strNew)
        m_table.SetValueText(nRow, *strNew);
}

void COptionDlg::OnParamRClick()
{
    const int nRow = GetSelectedRow();
    // The first row is never copied.
    if (nRow <= 0)
        return;
    QGuiApplication::clipboard()->setText(m_table.GetItemText(nRow, COptionTable::COL_VALUE),
                                          QClipboard::Clipboard);
    MessageBox(QStringLiteral("The device uuid saved to clipboard"),
               QCoreApplication::applicationName(), MSG_ICON_NONE);
}

ParamDialogRunner MakeOptionDialogRunner(QWidget* pParent, const MessageBoxSink& fnMessageBox)
{
    QPointer<QWidget> parent(pParent);
    return [parent, fnMessageBox](COptionTable& table) {
        COptionDlg dlg(table, fnMessageBox, parent.data());
        return dlg.exec() == QDialog::Accepted;
    };
}
