// The window side of the engine's message-box sink.
#include "MessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

void ShowMessageBox(QWidget* pParent, const QString& strText, const QString& strCaption,
                    EMsgIcon nIcon)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (nIcon) {
    case MSG_ICON_STOP:
        icon = QMessageBox::Critical;
        break;
    case MSG_ICON_INFORMATION:
        icon = QMessageBox::Information;
        break;
    case MSG_ICON_NONE:
        break;
    }
    QMessageBox box(icon, strCaption, strText, QMessageBox::Ok, pParent);
    // Texts are shown as they are: a card or a tool may send characters that look like markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

MessageBoxSink WidgetMessageBoxSink(QWidget* pParent)
{
    QPointer<QWidget> parent(pParent);
    return [parent](const QString& strText, const QString& strCaption, EMsgIcon nIcon) {
        ShowMessageBox(parent.data(), strText, strCaption, nIcon);
    };
}
