// SPDX-License-Identifier: GPL-3.0-or-later
// TranslateWindow translates captions of a dialog and its controls, and nothing else.
#include "LmLang.h"
#include "LmLangWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtTest>

class tst_TranslateWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(SetLocalLang("Lang0804", 1)); }
    void cleanup()
    {
        SetLocalLang("default", 1);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void translatesCaptionsOfAllDescendants()
    {
        QDialog dialog;
        dialog.setWindowTitle("ERROR");
        auto* group = new QGroupBox("Gateway", &dialog);
        auto* layout = new QVBoxLayout(group);
        auto* label = new QLabel("Mask", group);
        auto* button = new QPushButton("Password Error", group);
        auto* check = new QCheckBox("MAC", group);
        auto* radio = new QRadioButton("IP Addr", group);
        auto* untranslated = new QLabel("No such source text", group);
        auto* edit = new QLineEdit("Mask", group);
        for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(button),
                           static_cast<QWidget*>(check), static_cast<QWidget*>(radio),
                           static_cast<QWidget*>(untranslated), static_cast<QWidget*>(edit)})
            layout->addWidget(w);

        QCOMPARE(TranslateWindow(&dialog), 1);

        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("错误"));
        QCOMPARE(group->title(), QString::fromUtf8("网关"));
        QCOMPARE(label->text(), QString::fromUtf8("子网掩码"));
        QCOMPARE(button->text(), QString::fromUtf8("密码错误"));
        QCOMPARE(check->text(), QString::fromUtf8("MAC地址"));
        QCOMPARE(radio->text(), QString::fromUtf8("IP地址"));
        QCOMPARE(untranslated->text(), QString("No such source text"));
        QCOMPARE(edit->text(), QString("Mask"));
    }

    void nullWindowIsRefused() { QCOMPARE(TranslateWindow(nullptr), 0); }
};

QTEST_MAIN(tst_TranslateWindow)
#include "tst_translatewindow.moc"
