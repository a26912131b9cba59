// SPDX-License-Identifier: GPL-3.0-or-later
// The window side of the engine's message-box sink.
#include "MessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

void ShowMessageBox(QWidget* pParent, const QString& strText, const QString& strCaption,
                    EMsgIcon nIcon)
{
    QMessageBox::Icon nBoxIcon = QMessageBox::NoIcon;
    switch (nIcon) {
    case MSG_ICON_STOP:
        nBoxIcon = QMessageBox::Critical;
        break;
    case MSG_ICON_INFORMATION:
        nBoxIcon = QMessageBox::Information;
        break;
    case MSG_ICON_NONE:
        break;
    }
    QMessageBox box(nBoxIcon, strCaption, strText, QMessageBox::Ok, pParent);
    // Texts are shown as they are: a card or a tool may send characters that look like markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

MessageBoxSink WidgetMessageBoxSink(QWidget* pParent)
{
    QPointer<QWidget> pGuarded(pParent);
    return [pGuarded](const QString& strText, const QString& strCaption, EMsgIcon nIcon) {
        ShowMessageBox(pGuarded.data(), strText, strCaption, nIcon);
    };
}
