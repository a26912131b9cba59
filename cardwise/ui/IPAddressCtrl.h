// SPDX-License-Identifier: GPL-3.0-or-later
// CIPAddressCtrl: an IPv4 address field made of four octet fields, as the Windows control.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class QLabel;
class QLineEdit;

class CIPAddressCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CIPAddressCtrl(QWidget* parent = nullptr);

    // Fills address with the four fields, the first one in the most significant byte; a blank
    // field reads as 0. Returns the number of fields that are not blank.
    int GetAddress(std::uint32_t& dwAddress) const;
    // The address as GetAddress gives it, without the count.
    std::uint32_t GetAddress() const;
    // Shows the four octets of address, the most significant byte in the first field.
    void SetAddress(std::uint32_t dwAddress);
    // Blanks all four fields.
    void ClearAddress();
    // True when all four fields are blank.
    bool IsBlank() const;

    // The octet field at index 0..3 (for keyboard handling and tests).
    QLineEdit* Field(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Any field changed, by typing or by SetAddress/ClearAddress.
    void addressChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int IndexOf(const QObject* pField) const;
    void MoveTo(int index, bool bSelectAll, bool bCursorAtEnd);
    void OnFieldEdited(int index);

    std::array<QLineEdit*, 4> m_arrFields{};
    std::array<QLabel*, 3> m_arrDots{};
};
