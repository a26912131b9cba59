// Helpers of the dialog tests: a recorder of message boxes and a hook into modal dialogs.
#pragma once

#include "CoreFakes.h"
#include "MessageSink.h"

#include <QApplication>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

// Records the message boxes a dialog asks for instead of showing them.
class CMessageRecorder
{
public:
    MessageBoxSink Sink()
    {
        return [this](const QString& strText, const QString& strCaption, EMsgIcon nIcon) {
            m_arrMessages.append({strText, strCaption, nIcon});
        };
    }

    QList<CRecordedMessage> m_arrMessages;
};

// Calls fnAct with the modal dialog as soon as one runs; set it up before starting the dialog.
inline void WhenModal(std::function<void(QWidget*)> fnAct)
{
    auto* pTimer = new QTimer(qApp);
    QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer, fnAct] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            pTimer->stop();
            pTimer->deleteLater();
            fnAct(pModal);
        }
    });
    pTimer->start(10);
}
