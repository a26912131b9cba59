// SPDX-License-Identifier: GPL-3.0-or-later
// TranslateWindow: walks a widget tree and passes every visible caption through LmLang.
#include "LmLangWidgets.h"

#include "LmLang.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

QString Translate(const QString& text)
{
    if (text.isEmpty())
        return text;
    return QString::fromUtf8(GetTranslateText(text.toUtf8().constData()));
}

void TranslateOne(QWidget* widget)
{
    if (widget->isWindow())
        widget->setWindowTitle(Translate(widget->windowTitle()));
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(Translate(label->text()));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(Translate(button->text()));
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(Translate(group->title()));
}

} // namespace

int TranslateWindow(QWidget* window)
{
    if (!window)
        return 0;
    TranslateOne(window);
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* child : children)
        TranslateOne(child);
    return 1;
}
