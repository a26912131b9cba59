// SPDX-License-Identifier: GPL-3.0-or-later
// CCardwiseApp: start-up of the assistant: command line, socket check, language, main window.
#pragma once

#include "CardwiseDlg.h"
#include "MessageSink.h"
#include "ProgramOptions.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

struct CCardwiseOptions
{
    // --subnet ADDRESS/MASK.
    std::optional<CardwiseCore::SSubnet> subnet;
    // --range START-END and its --rate.
    std::optional<CardwiseCore::SRange> range;
    int nRate = CardwiseCore::RATE_DEFAULT;
    // --lang: "Lang0804", "default" or a locale name such as "zh_CN"; empty: the system's.
    QString strLang;
    // --trace: the trace threshold; empty: CARDWISE_TRACE or the library's default.
    std::optional<int> nTrace;
    // Hidden, for tests and screenshots: print the device rows to standard output whenever a
    // sweep ends, and close the window after the first one.
    bool bPrintDevices = false;
    bool bExitAfterSearch = false;
};

class CCardwiseApp
{
public:
    struct CServices
    {
        // Whether the PC can create a UDP socket at all (empty: the real check).
        std::function<bool()> fnSocketStartup;
        // Message boxes shown before the main window exists (empty: QMessageBox).
        MessageBoxSink fnMessageBox;
        // Everything the main window is built with; the options add the initial scope.
        CCardwiseDlgServices dlg;
    };

    enum EParse
    {
        PARSE_RUN,
        PARSE_HELP,
        PARSE_ERROR
    };

    explicit CCardwiseApp(CServices services = {});

    // Reads the arguments (the program name first). PARSE_HELP and PARSE_ERROR come with the
    // text to print in strMessage.
    static EParse ParseCommandLine(const QStringList& arrArgs, CCardwiseOptions& options,
                                   QString& strMessage);

    // Socket check (message 103 and false on failure), then the language. Opens no window.
    bool InitInstance(const CCardwiseOptions& options);
    // Runs the main window until it closes; returns the exit code.
    int RunMainWindow(const CCardwiseOptions& options);
    // The whole program: command line, InitInstance, main window. Returns the exit code.
    int Run(const QStringList& arrArgs);

    // "Lang%04x" of the system language, or the --lang choice; "default" when unknown.
    static QString LanguageName(const QString& strChoice);

private:
    void PrintDevices(CCardwiseDlg& dlg) const;

    CServices m_services;
};
