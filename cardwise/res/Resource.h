// SPDX-License-Identifier: GPL-3.0-or-later
// Resource ids of the assistant: dialog templates, control ids (also the widgets' object
// names in the .ui templates), string table, icon and timers.
#pragma once

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_CARDWISE_DIALOG = 102;
constexpr int IDD_PARAM_EDIT = 130;
constexpr int IDD_OPTION = 131;

// Standard buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Main window (template 102).
constexpr int IDC_WEB = 3;
constexpr int IDC_TELNET = 4;
constexpr int IDC_PING = 5;
constexpr int IDC_IPCONFIG = 6;
constexpr int IDC_SCOPE_LOCAL = 1000;
constexpr int IDC_SCOPE_SUBNET = 1001;
constexpr int IDC_ADDRESS = 1002;
constexpr int IDC_MASK = 1003;
constexpr int IDC_SCOPE_RANGE = 1004;
constexpr int IDC_SEARCH = 1005;
constexpr int IDC_DEVICE_LIST = 1006;
constexpr int IDC_ADDR_LABEL = 1007;
constexpr int IDC_MASK_LABEL = 1008;
constexpr int IDC_PROGRESS = 1010;
constexpr int IDC_STATUS = 1011;

// Parameter edit dialog (template 130).
constexpr int IDC_SET_DATA = 1007;
constexpr int IDC_ORIGINAL_DATA = 1008;
constexpr int IDC_PARAM_NAME = 1009;

// Parameter dialog (template 131).
constexpr int IDC_PASSWORD = 1012;
constexpr int IDC_PARAM_LIST = 1013;
constexpr int IDC_AUTO_RESTART = 1015;

// About box (template 100).
constexpr int IDC_VERSION = 1016;

// String table.
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_SOCKETS_INIT_FAILED = 103;
constexpr int ID_INDICATOR_IP = 104;
constexpr int ID_INDICATOR_TIME = 105;

// Application icon.
constexpr int IDR_MAINFRAME = 130;

// Window timers of the main window; 1 and 2 are the search phases of the engine.
constexpr unsigned int TIMER_CLOCK = 100;
constexpr unsigned int CLOCK_PERIOD_MS = 1000;

// The text of a string-table entry, or "" for an unknown id.
inline const char* LoadResString(int nId)
{
    switch (nId) {
    case IDS_ABOUTBOX:
        return "关于 Cardwise(&A)...";
    case IDS_SOCKETS_INIT_FAILED:
        return "Windows 通信端口初始化失败。";
    case ID_INDICATOR_IP:
        return "IP";
    case ID_INDICATOR_TIME:
        return "Time";
    default:
        return "";
    }
}
