// SPDX-License-Identifier: GPL-3.0-or-later
// CIPAddressCtrl: four octet fields with the keyboard behaviour of an address field.
#include "IPAddressCtrl.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOptionFrame>

namespace {
constexpr int FIELD_COUNT = 4;
constexpr int MAX_DIGITS = 3;
constexpr int MAX_OCTET = 255;
} // namespace

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent) : QWidget(parent)
{
    auto* pLayout = new QHBoxLayout(this);
    const int nFrame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    pLayout->setContentsMargins(nFrame + 1, nFrame, nFrame + 1, nFrame);
    pLayout->setSpacing(0);

    auto* pValidator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < FIELD_COUNT; ++i) {
        auto* pField = new QLineEdit(this);
        pField->setObjectName(QStringLiteral("field%1").arg(i));
        pField->setFrame(false);
        pField->setAlignment(Qt::AlignCenter);
        pField->setMaxLength(MAX_DIGITS);
        pField->setValidator(pValidator);
        // Tab enters the control at its first field and leaves it from any field, as the
        // native control does; the other fields are reached by typing or the arrow keys.
        pField->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        pField->setContextMenuPolicy(Qt::NoContextMenu);
        pField->installEventFilter(this);
        connect(pField, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        connect(pField, &QLineEdit::textChanged, this, &CIPAddressCtrl::addressChanged);
        m_arrFields[i] = pField;
        pLayout->addWidget(pField, 1);
        if (i + 1 < FIELD_COUNT) {
            auto* pDot = new QLabel(QStringLiteral("."), this);
            pDot->setAlignment(Qt::AlignCenter);
            pDot->setBackgroundRole(QPalette::Base);
            pDot->setAutoFillBackground(true);
            m_arrDots[i] = pDot;
            pLayout->addWidget(pDot);
        }
    }
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_arrFields[0]);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

int CIPAddressCtrl::GetAddress(std::uint32_t& dwAddress) const
{
    dwAddress = 0;
    int nFilled = 0;
    for (const QLineEdit* pField : m_arrFields) {
        const QString strText = pField->text();
        if (!strText.isEmpty())
            ++nFilled;
        // The fields only take digits and are clamped when edited; clamp again for safety.
        const std::uint32_t dwOctet =
            static_cast<std::uint32_t>(qBound(0, strText.toInt(), MAX_OCTET));
        dwAddress = (dwAddress << 8) | dwOctet;
    }
    return nFilled;
}

std::uint32_t CIPAddressCtrl::GetAddress() const
{
    std::uint32_t dwAddress = 0;
    GetAddress(dwAddress);
    return dwAddress;
}

void CIPAddressCtrl::SetAddress(std::uint32_t dwAddress)
{
    for (int i = 0; i < FIELD_COUNT; ++i) {
        const std::uint32_t dwOctet = (dwAddress >> (8 * (FIELD_COUNT - 1 - i))) & 0xFFu;
        m_arrFields[i]->setText(QString::number(dwOctet));
    }
}

void CIPAddressCtrl::ClearAddress()
{
    for (QLineEdit* pField : m_arrFields)
        pField->clear();
}

bool CIPAddressCtrl::IsBlank() const
{
    for (const QLineEdit* pField : m_arrFields) {
        if (!pField->text().isEmpty())
            return false;
    }
    return true;
}

QLineEdit* CIPAddressCtrl::Field(int index) const
{
    return (index >= 0 && index < FIELD_COUNT) ? m_arrFields[index] : nullptr;
}

QSize CIPAddressCtrl::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = layout()->contentsMargins();
    const int nFieldWidth = metrics.horizontalAdvance(QStringLiteral("0000"));
    const int nDotWidth = metrics.horizontalAdvance(QLatin1Char('.')) + 2;
    const int nWidth = FIELD_COUNT * nFieldWidth + (FIELD_COUNT - 1) * nDotWidth + margins.left() +
                       margins.right();
    const int nHeight = m_arrFields[0]->sizeHint().height() + margins.top() + margins.bottom();
    return {nWidth, nHeight};
}

QSize CIPAddressCtrl::minimumSizeHint() const
{
    return sizeHint();
}

int CIPAddressCtrl::IndexOf(const QObject* pField) const
{
    for (int i = 0; i < FIELD_COUNT; ++i) {
        if (m_arrFields[i] == pField)
            return i;
    }
    return -1;
}

void CIPAddressCtrl::MoveTo(int index, bool bSelectAll, bool bCursorAtEnd)
{
    QLineEdit* pField = m_arrFields[index];
    pField->setFocus(Qt::OtherFocusReason);
    if (bSelectAll)
        pField->selectAll();
    else {
        pField->deselect();
        pField->setCursorPosition(bCursorAtEnd ? static_cast<int>(pField->text().size()) : 0);
    }
}

void CIPAddressCtrl::OnFieldEdited(int index)
{
    QLineEdit* pField = m_arrFields[index];
    if (pField->text().toInt() > MAX_OCTET)
        pField->setText(QString::number(MAX_OCTET));
    // A complete octet hands over to the next field, so an address can be typed in one go.
    if (pField->text().size() == MAX_DIGITS && pField->cursorPosition() == MAX_DIGITS &&
        index + 1 < FIELD_COUNT) {
        MoveTo(index + 1, true, false);
    }
}

bool CIPAddressCtrl::eventFilter(QObject* watched, QEvent* event)
{
    const int index = IndexOf(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // A finished octet shows as a plain number: "010" becomes "10".
        QLineEdit* pField = m_arrFields[index];
        if (!pField->text().isEmpty()) {
            const QString strNormal = QString::number(pField->text().toInt());
            if (strNormal != pField->text())
                pField->setText(strNormal);
        }
        update();
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        update();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;

    auto* pKey = static_cast<QKeyEvent*>(event);
    QLineEdit* pField = m_arrFields[index];
    const bool bAtStart = !pField->hasSelectedText() && pField->cursorPosition() == 0;
    const bool bAtEnd =
        !pField->hasSelectedText() && pField->cursorPosition() == pField->text().size();
    const QString strText = pKey->text();

    if (strText == QLatin1String(".") || pKey->key() == Qt::Key_Period) {
        if (index + 1 < FIELD_COUNT && !pField->text().isEmpty())
            MoveTo(index + 1, true, false);
        return true;
    }
    if (strText.size() == 1 && strText.at(0).isDigit() &&
        (pKey->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // A digit typed after a full octet starts the next field.
        if (pField->text().size() == MAX_DIGITS && bAtEnd) {
            if (index + 1 < FIELD_COUNT) {
                MoveTo(index + 1, true, false);
                QKeyEvent forwarded(QEvent::KeyPress, pKey->key(), pKey->modifiers(), strText);
                QCoreApplication::sendEvent(m_arrFields[index + 1], &forwarded);
            }
            return true;
        }
        return false;
    }
    switch (pKey->key()) {
    case Qt::Key_Backspace:
        if (bAtStart && index > 0) {
            MoveTo(index - 1, false, true);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (bAtStart && index > 0 && pKey->modifiers() == Qt::NoModifier) {
            MoveTo(index - 1, false, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (bAtEnd && index + 1 < FIELD_COUNT && pKey->modifiers() == Qt::NoModifier) {
            MoveTo(index + 1, false, false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CIPAddressCtrl::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    for (const QLineEdit* pField : m_arrFields) {
        if (pField->hasFocus())
            option.state |= QStyle::State_HasFocus;
    }
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}
