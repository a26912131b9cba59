// SPDX-License-Identifier: GPL-3.0-or-later
// CMessageRecorder: the message boxes that code under test asks for, recorded, not shown.
#pragma once

#include "MessageSink.h"

#include <QString>

#include <vector>

struct CRecordedMessage
{
    QString strText;
    QString strCaption;
    EMsgIcon nIcon;
};

class CMessageRecorder
{
public:
    // The sink to hand to the code under test; valid while the recorder lives.
    MessageBoxSink Sink()
    {
        return [this](const QString& strText, const QString& strCaption, EMsgIcon nIcon) {
            m_arrMessages.push_back({strText, strCaption, nIcon});
        };
    }

    std::vector<CRecordedMessage> m_arrMessages;
};
