// SPDX-License-Identifier: GPL-3.0-or-later
// CCardwiseDlg: the main window over CAssistantCore.
#include "CardwiseDlg.h"

#include "AboutDlg.h"
#include "BatchSetupDlg.h"
#include "CoreText.h"
#include "IpConfigRunner.h"
#include "MessageBox.h"
#include "OptionDlg.h"
// Before Resource.h: the generated setupUi names its parameter after the template id.
#include "ui_CardwiseDlg.h"
#include "Resource.h"

#include "LmDebug.h"
#include "LmLangWidgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QHostInfo>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTime>
#include <QToolButton>

#include <algorithm>

namespace {

// The device list's columns: width in pixels (column 0 holds the row key and stays hidden)
// and the widest text the column holds. The widths were made for a narrower font than most
// desktops use, so a column grows to fit its widest text and its title.
struct SColumn
{
    int nWidth;
    const char* pszSample;
};
constexpr SColumn COLUMNS[CDeviceListModel::COL_COUNT] = {
    {0, ""},
    {100, "255.255.255.255"},
    {100, "255.255.255.255"},
    {120, "00-00-00-00-00-00"},
    {90, "255.255.255.255"},
    {85, "255.255.255.255"},
    {50, "00000"},
    {50, "00000"},
    {70, "enp0s31f6"},
    {120, "Address conflict, DHCP"},
};

// Rows with a note: a warning icon in the Note column and the row tinted amber, mixed into
// the palette's own base colour so that light and dark palettes both keep their text legible.
class CNoteDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(CDeviceListModel::ROLE_NOTES).toUInt() == 0)
            return;
        const QColor base = option->palette.color(QPalette::Base);
        const QColor amber(255, 176, 0);
        constexpr float SHARE = 0.25F;
        option->backgroundBrush =
            QColor::fromRgbF(base.redF() + (amber.redF() - base.redF()) * SHARE,
                             base.greenF() + (amber.greenF() - base.greenF()) * SHARE,
                             base.blueF() + (amber.blueF() - base.blueF()) * SHARE);
        if (index.column() == CDeviceListModel::COL_NOTE) {
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->icon = option->widget != nullptr
                               ? option->widget->style()->standardIcon(QStyle::SP_MessageBoxWarning)
                               : QIcon();
            const int nSide = option->fontMetrics.height();
            option->decorationSize = QSize(nSide, nSide);
        }
    }
};

CCardwiseDlgServices WithDefaults(CCardwiseDlgServices services, QWidget* pWindow)
{
    if (!services.core.fnMessageBox)
        services.core.fnMessageBox = WidgetMessageBoxSink(pWindow);
    if (!services.core.fnRunParamDialog)
        services.core.fnRunParamDialog =
            MakeOptionDialogRunner(pWindow, services.core.fnMessageBox);
    CDeviceTools defaults = SystemDeviceTools();
    if (!services.tools.fnOpenUrl)
        services.tools.fnOpenUrl = defaults.fnOpenUrl;
    if (!services.tools.fnRunInTerminal)
        services.tools.fnRunInTerminal = defaults.fnRunInTerminal;
    if (!services.tools.fnRunIpConfig)
        services.tools.fnRunIpConfig = defaults.fnRunIpConfig;
    return services;
}

} // namespace

CCardwiseDlg::CCardwiseDlg(CCardwiseDlgServices services, QWidget* parent)
    : QDialog(parent), m_pUi(std::make_unique<Ui::CardwiseDlg>()), m_ui(*m_pUi),
      m_services(WithDefaults(std::move(services), this)),
      m_pOwnTimers(m_services.pTimers == nullptr ? std::make_unique<CQtTimerHost>() : nullptr),
      m_timers(m_services.pTimers != nullptr ? *m_services.pTimers : *m_pOwnTimers),
      m_core(*this, m_timers, m_services.core), m_hIcon(AppIcon())
{
    m_ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    if (m_pOwnTimers)
        m_pOwnTimers->SetHandler([this](unsigned int nId) { OnTimer(nId); });

    // The three radios form one group; the scope is the index of the checked one.
    m_pScopeGroup = new QButtonGroup(this);
    m_pScopeGroup->addButton(m_ui.IDC_SCOPE_LOCAL, CAssistantCore::SCOPE_LOCAL);
    m_pScopeGroup->addButton(m_ui.IDC_SCOPE_SUBNET, CAssistantCore::SCOPE_SUBNET);
    m_pScopeGroup->addButton(m_ui.IDC_SCOPE_RANGE, CAssistantCore::SCOPE_RANGE);
    connect(m_pScopeGroup, &QButtonGroup::buttonClicked, this, &CCardwiseDlg::OnScopeChanged);

    connect(m_ui.IDC_SEARCH, &QPushButton::clicked, this, &CCardwiseDlg::OnSearch);
    connect(m_ui.IDOK, &QPushButton::clicked, this, &CCardwiseDlg::OnOK);
    connect(m_ui.IDCANCEL, &QPushButton::clicked, this, &CCardwiseDlg::reject);
    connect(m_ui.IDC_WEB, &QPushButton::clicked, this, &CCardwiseDlg::OnWeb);
    connect(m_ui.IDC_TELNET, &QPushButton::clicked, this, &CCardwiseDlg::OnTelnet);
    connect(m_ui.IDC_PING, &QPushButton::clicked, this, &CCardwiseDlg::OnPing);
    connect(m_ui.IDC_IPCONFIG, &QPushButton::clicked, this, &CCardwiseDlg::OnIpConfig);
    connect(m_ui.IDC_DEVICE_LIST, &QTableView::doubleClicked, this, &CCardwiseDlg::OnListDblClk);

    m_pSystemMenu = new QMenu(this);
    m_pSystemMenu->setObjectName(QStringLiteral("IDM_SYSMENU"));
    QAction* pAbout = m_pSystemMenu->addAction(QString::fromUtf8(LoadResString(IDS_ABOUTBOX)));
    pAbout->setObjectName(QStringLiteral("IDM_ABOUTBOX"));
    connect(pAbout, &QAction::triggered, this, &CCardwiseDlg::OnAbout);
    QAction* pRate = m_pSystemMenu->addAction(CardwiseCore::Tr("Range Sweep Rate..."));
    pRate->setObjectName(QStringLiteral("IDM_RANGE_RATE"));
    connect(pRate, &QAction::triggered, this, &CCardwiseDlg::OnRangeRate);
    m_pSaveList = m_pSystemMenu->addAction(CardwiseCore::Tr("Save List..."));
    m_pSaveList->setObjectName(QStringLiteral("IDM_SAVE_LIST"));
    connect(m_pSaveList, &QAction::triggered, this, &CCardwiseDlg::OnSaveList);
    m_pCompareList = m_pSystemMenu->addAction(CardwiseCore::Tr("Compare with Saved List..."));
    m_pCompareList->setObjectName(QStringLiteral("IDM_COMPARE_LIST"));
    connect(m_pCompareList, &QAction::triggered, this, &CCardwiseDlg::OnCompareList);
    m_pBatchSetup = m_pSystemMenu->addAction(CardwiseCore::Tr("Batch Setup..."));
    m_pBatchSetup->setObjectName(QStringLiteral("IDM_BATCH_SETUP"));
    connect(m_pBatchSetup, &QAction::triggered, this, &CCardwiseDlg::OnBatchSetup);
    // A card may answer after its search ended: the menu shows the state of the moment.
    connect(m_pSystemMenu, &QMenu::aboutToShow, this, [this] { UpdateButtons(REFRESH_STATE); });
    m_core.SetRangeRate(m_services.nRangeRate);

    OnInitDialog();
}

CCardwiseDlg::~CCardwiseDlg()
{
    OnDestroy();
    // The list model belongs to the engine, which goes before the list view does.
    m_ui.IDC_DEVICE_LIST->setModel(nullptr);
}

QIcon CCardwiseDlg::AppIcon()
{
    QIcon icon;
    for (const int nSize : {16, 32, 48, 64, 256})
        icon.addFile(QStringLiteral(":/cardwise/icons/cardwise-%1.png").arg(nSize),
                     QSize(nSize, nSize));
    return icon;
}

void CCardwiseDlg::OnInitDialog()
{
    LmTrace20("设置助手启动..............");
    CreateStatusBar();
    m_timers.SetTimer(TIMER_CLOCK, CLOCK_PERIOD_MS);
    const QString strAddresses = CollectHostAddresses().join(QLatin1Char(','));
    m_core.CollectBroadcastAddresses();
    m_pPaneAddresses->setText(strAddresses);
    setWindowIcon(m_hIcon);
    m_ui.IDC_SEARCH->setIcon(AppIcon());

    if (m_services.initialSubnet)
        m_ui.IDC_SCOPE_SUBNET->setChecked(true);
    else if (m_services.initialRange)
        m_ui.IDC_SCOPE_RANGE->setChecked(true);
    m_core.OnScopeChanged();
    if (m_services.initialSubnet) {
        SetAddressCtrl(IDC_ADDRESS, m_services.initialSubnet->dwAddress);
        SetAddressCtrl(IDC_MASK, m_services.initialSubnet->dwMask);
    } else if (m_services.initialRange) {
        SetAddressCtrl(IDC_ADDRESS, m_services.initialRange->dwStart);
        SetAddressCtrl(IDC_MASK, m_services.initialRange->dwEnd);
    }

    InitDeviceList();
    UpdateButtons(REFRESH_ALL);
    TranslateWindow(this);
    m_core.OnSearch();
}

void CCardwiseDlg::CreateStatusBar()
{
    // A dialog has no status bar of its own: the bar is the last item of the window's layout.
    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QStringLiteral("AFX_IDW_STATUS_BAR"));
    m_pPaneAddresses =
        new QLabel(QString::fromUtf8(LoadResString(ID_INDICATOR_IP)), m_wndStatusBar);
    m_pPaneAddresses->setObjectName(QStringLiteral("ID_INDICATOR_IP"));
    m_pPaneAddresses->setTextFormat(Qt::PlainText);
    m_pPaneClock = new QLabel(QString::fromUtf8(LoadResString(ID_INDICATOR_TIME)), m_wndStatusBar);
    m_pPaneClock->setObjectName(QStringLiteral("ID_INDICATOR_TIME"));
    m_pPaneClock->setTextFormat(Qt::PlainText);
    m_pPaneClock->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 24);

    // Stands in for the system menu, which a Qt window cannot extend.
    auto* pMenuButton = new QToolButton(m_wndStatusBar);
    pMenuButton->setObjectName(QStringLiteral("btnSystemMenu"));
    pMenuButton->setIcon(m_hIcon);
    pMenuButton->setAutoRaise(true);
    pMenuButton->setPopupMode(QToolButton::InstantPopup);
    pMenuButton->setMenu(m_pSystemMenu);
    pMenuButton->setFocusPolicy(Qt::NoFocus);
    pMenuButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));

    m_wndStatusBar->addWidget(m_pPaneAddresses, 1);
    m_wndStatusBar->addPermanentWidget(m_pPaneClock);
    m_wndStatusBar->addPermanentWidget(pMenuButton);
    m_ui.layoutMain->addWidget(m_wndStatusBar);
}

void CCardwiseDlg::InitDeviceList()
{
    QTableView* pList = m_ui.IDC_DEVICE_LIST;
    pList->setModel(&m_core.GetDeviceList());
    m_ui.IDC_PROGRESS->SetModel(&m_core.GetProgress());

    QHeaderView* pHeader = pList->horizontalHeader();
    pHeader->setSectionsClickable(false);
    pHeader->setSectionsMovable(false);
    pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QFontMetrics metrics = pList->fontMetrics();
    const int nPadding =
        2 * pList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, pList) + 8;
    int nTotal = 0;
    for (int nColumn = 0; nColumn < CDeviceListModel::COL_COUNT; ++nColumn) {
        int nWidth = COLUMNS[nColumn].nWidth;
        // The notes come with their icon.
        const int nIcon = nColumn == CDeviceListModel::COL_NOTE ? metrics.height() + 6 : 0;
        if (nWidth > 0)
            nWidth =
                std::max({nWidth,
                          metrics.horizontalAdvance(QLatin1String(COLUMNS[nColumn].pszSample)) +
                              nPadding + nIcon,
                          pHeader->sectionSizeHint(nColumn)});
        pHeader->resizeSection(nColumn, nWidth);
        nTotal += nWidth;
    }
    pList->setColumnHidden(CDeviceListModel::COL_KEY, true);
    pList->setItemDelegate(new CNoteDelegate(pList));

    // Open wide enough to show every column; the operator may still make the window narrower.
    const int nListWidth = nTotal + 2 * pList->frameWidth() +
                           pList->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, pList);
    pList->setMinimumWidth(nListWidth);
    const int nWindowWidth = sizeHint().width();
    pList->setMinimumWidth(0);
    resize(std::max(width(), nWindowWidth), height());
    pList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    pList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    pList->setShowGrid(true);
    pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    pList->setSelectionMode(QAbstractItemView::SingleSelection);
    pList->setSortingEnabled(false);

    // List notifications: an item's state changed (selected, deselected, or gone with the
    // rows a search removes), a click, the focus. New texts in a row change no state.
    const auto fnRefresh = [this] { UpdateButtons(REFRESH_ALL); };
    connect(pList->selectionModel(), &QItemSelectionModel::selectionChanged, this, fnRefresh);
    connect(pList->model(), &QAbstractItemModel::modelReset, this, fnRefresh);
    pList->installEventFilter(this);
    pList->viewport()->installEventFilter(this);
}

QStringList CCardwiseDlg::CollectHostAddresses() const
{
    if (m_services.fnGetHostAddresses)
        return m_services.fnGetHostAddresses();
    QStringList arrAddresses;
    const QString strHost = QHostInfo::localHostName();
    if (strHost.isEmpty())
        return arrAddresses;
    const QHostInfo info = QHostInfo::fromName(strHost);
    const auto arrFound = info.addresses();
    for (const QHostAddress& address : arrFound) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            arrAddresses.append(address.toString());
    }
    return arrAddresses;
}

void CCardwiseDlg::OnTimer(unsigned int nId)
{
    if (nId == TIMER_CLOCK && m_pPaneClock != nullptr)
        m_pPaneClock->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    if (nId == CBatchSender::TIMER_BATCH || nId == CBatchRun::TIMER_RUN) {
        if (m_pBatch)
            m_pBatch->OnTimer(nId);
        return;
    }
    const unsigned int nWasRunning = m_core.GetTimerId();
    const bool bSweep =
        nId == CAssistantCore::TIMER_SWEEP || nId == CAssistantCore::TIMER_RANGE_SWEEP;
    m_core.OnTimer(nId);
    if (bSweep && nWasRunning == nId && m_core.GetTimerId() == CAssistantCore::TIMER_NONE)
        emit searchFinished();
}

void CCardwiseDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_core.SetScope(m_pScopeGroup->checkedId());
        return;
    }
    if (QAbstractButton* pRadio = m_pScopeGroup->button(m_core.GetScope()))
        pRadio->setChecked(true);
    m_ui.IDC_ADDR_LABEL->setText(m_core.GetAddrLabel());
    m_ui.IDC_MASK_LABEL->setText(m_core.GetMaskLabel());
    m_ui.IDC_STATUS->setText(m_core.GetStatus());
}

std::uint32_t CCardwiseDlg::GetAddressCtrl(EAddressCtrl nCtrl) const
{
    return (nCtrl == IDC_ADDRESS ? m_ui.IDC_ADDRESS : m_ui.IDC_MASK)->GetAddress();
}

void CCardwiseDlg::SetAddressCtrl(EAddressCtrl nCtrl, std::uint32_t dwValue)
{
    (nCtrl == IDC_ADDRESS ? m_ui.IDC_ADDRESS : m_ui.IDC_MASK)->SetAddress(dwValue);
}

void CCardwiseDlg::SetStatusText(const QString& strText)
{
    m_ui.IDC_STATUS->setText(strText);
}

void CCardwiseDlg::UpdateButtons(EButtonRefresh nRefresh)
{
    const CButtonStates states = m_core.GetButtonStates(GetSelectedRow() >= 0);
    m_ui.IDC_SEARCH->setEnabled(states.bSearch);
    const QString strSearch = CardwiseCore::Tr(states.bStop ? "Stop" : "Search");
    if (m_ui.IDC_SEARCH->text() != strSearch)
        m_ui.IDC_SEARCH->setText(strSearch);
    m_ui.IDC_ADDRESS->setEnabled(states.bAddressCtrls);
    m_ui.IDC_MASK->setEnabled(states.bAddressCtrls);
    m_pSaveList->setEnabled(states.bListFiles);
    m_pCompareList->setEnabled(states.bListFiles);
    m_pBatchSetup->setEnabled(states.bBatchSetup);
    if (nRefresh != REFRESH_ALL)
        return;
    for (QPushButton* pButton : {m_ui.IDOK, m_ui.IDC_WEB, m_ui.IDC_TELNET, m_ui.IDC_PING})
        pButton->setEnabled(states.bDeviceTools);
}

int CCardwiseDlg::GetSelectedRow() const
{
    const QItemSelectionModel* pSelection = m_ui.IDC_DEVICE_LIST->selectionModel();
    if (pSelection == nullptr)
        return -1;
    const QModelIndexList arrRows = pSelection->selectedRows();
    return arrRows.size() == 1 ? arrRows.first().row() : -1;
}

void CCardwiseDlg::OnScopeChanged()
{
    m_core.OnScopeChanged();
}

void CCardwiseDlg::OnSearch()
{
    if (m_core.GetButtonStates(false).bStop)
        m_core.StopSearch();
    else
        m_core.OnSearch();
}

void CCardwiseDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_core.GetButtonStates(false).bStop) {
        m_core.StopSearch();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CCardwiseDlg::OnRangeRate()
{
    std::optional<int> nRate;
    if (m_services.fnAskRangeRate)
        nRate = m_services.fnAskRangeRate(m_core.GetRangeRate());
    else {
        bool bOk = false;
        const int nValue =
            QInputDialog::getInt(this, CardwiseCore::Tr("Range Sweep Rate"),
                                 CardwiseCore::Tr("Requests per second of a range sweep:"),
                                 m_core.GetRangeRate(), 1, CardwiseCore::RATE_MAX, 100, &bOk);
        if (bOk)
            nRate = nValue;
    }
    if (nRate)
        m_core.SetRangeRate(*nRate);
}

QString CCardwiseDlg::AskListFile(bool bSave)
{
    if (m_services.fnAskListFile)
        return m_services.fnAskListFile(bSave);
    const QString strFilter = CardwiseCore::Tr("Device lists (*.json *.csv)");
    if (bSave)
        return QFileDialog::getSaveFileName(this, CardwiseCore::Tr("Save List"),
                                            QStringLiteral("cards.json"), strFilter);
    return QFileDialog::getOpenFileName(this, CardwiseCore::Tr("Compare with Saved List"),
                                        QString(), CardwiseCore::Tr("Device lists (*.json)"));
}

void CCardwiseDlg::OnSaveList()
{
    const QString strPath = AskListFile(true);
    if (!strPath.isEmpty())
        m_core.SaveList(strPath);
}

void CCardwiseDlg::OnCompareList()
{
    const QString strPath = AskListFile(false);
    if (!strPath.isEmpty())
        m_core.CompareWithSavedList(strPath);
}

void CCardwiseDlg::OnBatchSetup()
{
    if (m_pBatch || !m_core.GetButtonStates(false).bBatchSetup)
        return;
    m_pBatch = std::make_unique<CBatchSetup>(m_core, m_timers, m_services.core.fnClockMs);
    {
        CBatchSetupDlg dlg(*m_pBatch, m_services.core.fnMessageBox, m_services.fnAskBatchFile,
                           this);
        dlg.exec();
    }
    m_pBatch.reset();
    UpdateButtons(REFRESH_ALL);
}

void CCardwiseDlg::accept()
{
    OnOK();
}

void CCardwiseDlg::OnOK()
{
    const int nRow = GetSelectedRow();
    if (nRow >= 0)
        m_core.SetupDevice(nRow);
}

void CCardwiseDlg::OnListDblClk()
{
    OnOK();
}

QString CCardwiseDlg::SelectedReachableAddress()
{
    const int nRow = GetSelectedRow();
    if (nRow < 0 || !m_core.CheckDeviceReachable(nRow))
        return QString();
    return m_core.GetDeviceList().GetItemText(nRow, CDeviceListModel::COL_ACTUAL_IP);
}

void CCardwiseDlg::OnWeb()
{
    const QString strAddress = SelectedReachableAddress();
    if (!strAddress.isEmpty())
        m_services.tools.fnOpenUrl(QStringLiteral("http://%1").arg(strAddress));
}

void CCardwiseDlg::OnTelnet()
{
    const QString strAddress = SelectedReachableAddress();
    if (!strAddress.isEmpty())
        m_services.tools.fnRunInTerminal({QStringLiteral("telnet"), strAddress});
}

void CCardwiseDlg::OnPing()
{
    const QString strAddress = SelectedReachableAddress();
    if (!strAddress.isEmpty())
        m_services.tools.fnRunInTerminal({QStringLiteral("ping"), strAddress});
}

void CCardwiseDlg::OnIpConfig()
{
    CIpConfigRunner(m_services.tools.fnRunIpConfig, m_services.core.fnMessageBox).OnIpConfig();
}

void CCardwiseDlg::OnAbout()
{
    ShowAboutBox(this);
}

void CCardwiseDlg::MessageBox(const QString& strText, const QString& strCaption,
                              EMsgIcon nIcon) const
{
    m_services.core.fnMessageBox(strText, strCaption, nIcon);
}

void CCardwiseDlg::done(int nResult)
{
    QDialog::done(nResult);
    OnDestroy();
}

void CCardwiseDlg::OnDestroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    m_timers.KillTimer(TIMER_CLOCK);
    m_core.OnDestroy();
}

void CCardwiseDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        UpdateButtons(REFRESH_ALL);
}

void CCardwiseDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The window background offers what the system menu would.
    m_pSystemMenu->popup(event->globalPos());
}

bool CCardwiseDlg::eventFilter(QObject* watched, QEvent* event)
{
    QTableView* pList = m_ui.IDC_DEVICE_LIST;
    if ((watched == pList && event->type() == QEvent::FocusIn) ||
        (watched == pList->viewport() && event->type() == QEvent::MouseButtonRelease)) {
        // A press has already moved the selection by the time the button is released.
        UpdateButtons(REFRESH_ALL);
    }
    return QDialog::eventFilter(watched, event);
}
