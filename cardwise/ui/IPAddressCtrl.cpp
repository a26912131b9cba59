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
constexpr int kFieldCount = 4;
constexpr int kMaxDigits = 3;
constexpr int kMaxOctet = 255;
} // namespace

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    layout->setContentsMargins(frame + 1, frame, frame + 1, frame);
    layout->setSpacing(0);

    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kFieldCount; ++i) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(kMaxDigits);
        field->setValidator(validator);
        // Tab enters the control at its first field and leaves it from any field, as the
        // native control does; the other fields are reached by typing or the arrow keys.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->setContextMenuPolicy(Qt::NoContextMenu);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        connect(field, &QLineEdit::textChanged, this, &CIPAddressCtrl::addressChanged);
        m_arrFields[i] = field;
        layout->addWidget(field, 1);
        if (i + 1 < kFieldCount) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            dot->setBackgroundRole(QPalette::Base);
            dot->setAutoFillBackground(true);
            m_arrDots[i] = dot;
            layout->addWidget(dot);
        }
    }
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_arrFields[0]);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

int CIPAddressCtrl::GetAddress(std::uint32_t& address) const
{
    address = 0;
    int filled = 0;
    for (const QLineEdit* field : m_arrFields) {
        const QString text = field->text();
        if (!text.isEmpty()) {
            ++filled;
        }
        // The fields only take digits and are clamped when edited; clamp again for safety.
        const std::uint32_t octet = static_cast<std::uint32_t>(qBound(0, text.toInt(), kMaxOctet));
        address = (address << 8) | octet;
    }
    return filled;
}

std::uint32_t CIPAddressCtrl::GetAddress() const
{
    std::uint32_t address = 0;
    GetAddress(address);
    return address;
}

void CIPAddressCtrl::SetAddress(std::uint32_t address)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const std::uint32_t octet = (address >> (8 * (kFieldCount - 1 - i))) & 0xFFu;
        m_arrFields[i]->setText(QString::number(octet));
    }
}

void CIPAddressCtrl::ClearAddress()
{
    for (QLineEdit* field : m_arrFields) {
        field->clear();
    }
}

bool CIPAddressCtrl::IsBlank() const
{
    for (const QLineEdit* field : m_arrFields) {
        if (!field->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

QLineEdit* CIPAddressCtrl::Field(int index) const
{
    return (index >= 0 && index < kFieldCount) ? m_arrFields[index] : nullptr;
}

QSize CIPAddressCtrl::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = layout()->contentsMargins();
    const int fieldWidth = metrics.horizontalAdvance(QStringLiteral("0000"));
    const int dotWidth = metrics.horizontalAdvance(QLatin1Char('.')) + 2;
    const int width =
        kFieldCount * fieldWidth + (kFieldCount - 1) * dotWidth + margins.left() + margins.right();
    const int height = m_arrFields[0]->sizeHint().height() + margins.top() + margins.bottom();
    return {width, height};
}

QSize CIPAddressCtrl::minimumSizeHint() const
{
    return sizeHint();
}

int CIPAddressCtrl::IndexOf(const QObject* field) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_arrFields[i] == field) {
            return i;
        }
    }
    return -1;
}

void CIPAddressCtrl::MoveTo(int index, bool selectAll, bool cursorAtEnd)
{
    QLineEdit* field = m_arrFields[index];
    field->setFocus(Qt::OtherFocusReason);
    if (selectAll) {
        field->selectAll();
    } else {
        field->deselect();
        field->setCursorPosition(cursorAtEnd ? field->text().size() : 0);
    }
}

void CIPAddressCtrl::OnFieldEdited(int index)
{
    QLineEdit* field = m_arrFields[index];
    if (field->text().toInt() > kMaxOctet) {
        field->setText(QString::number(kMaxOctet));
    }
    // A complete octet hands over to the next field, so an address can be typed in one go.
    if (field->text().size() == kMaxDigits && field->cursorPosition() == kMaxDigits &&
        index + 1 < kFieldCount) {
        MoveTo(index + 1, true, false);
    }
}

bool CIPAddressCtrl::eventFilter(QObject* watched, QEvent* event)
{
    const int index = IndexOf(watched);
    if (index < 0) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut) {
        // A finished octet shows as a plain number: "010" becomes "10".
        QLineEdit* field = m_arrFields[index];
        if (!field->text().isEmpty()) {
            const QString normal = QString::number(field->text().toInt());
            if (normal != field->text()) {
                field->setText(normal);
            }
        }
        update();
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        update();
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }

    auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* field = m_arrFields[index];
    const bool atStart = !field->hasSelectedText() && field->cursorPosition() == 0;
    const bool atEnd = !field->hasSelectedText() && field->cursorPosition() == field->text().size();
    const QString text = key->text();

    if (text == QLatin1String(".") || key->key() == Qt::Key_Period) {
        if (index + 1 < kFieldCount && !field->text().isEmpty()) {
            MoveTo(index + 1, true, false);
        }
        return true;
    }
    if (text.size() == 1 && text.at(0).isDigit() &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // A digit typed after a full octet starts the next field.
        if (field->text().size() == kMaxDigits && atEnd) {
            if (index + 1 < kFieldCount) {
                MoveTo(index + 1, true, false);
                QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers(), text);
                QCoreApplication::sendEvent(m_arrFields[index + 1], &forwarded);
            }
            return true;
        }
        return false;
    }
    switch (key->key()) {
    case Qt::Key_Backspace:
        if (atStart && index > 0) {
            MoveTo(index - 1, false, true);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (atStart && index > 0 && key->modifiers() == Qt::NoModifier) {
            MoveTo(index - 1, false, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (atEnd && index + 1 < kFieldCount && key->modifiers() == Qt::NoModifier) {
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
    for (const QLineEdit* field : m_arrFields) {
        if (field->hasFocus()) {
            option.state |= QStyle::State_HasFocus;
        }
    }
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}
