// What cardwise-cli prints: the device list and a card's parameter table as text, JSON, CSV.
#pragma once

#include "CliArguments.h"

#include <QString>

class CDeviceListModel;
class COptionTable;

// {"devices":[{"mac","actual_ip","ip","mask","gateway","hw","fw","adapter","notes"}]} in list
// order; hw and fw are numbers, or null while the list shows nothing for them; adapter the
// receiving interface's name, or null; notes a list of "other-subnet", "address-conflict",
// "dhcp".
QString RenderDevices(const CDeviceListModel& list, ECliFormat nFormat);
// The JSON array of the devices, as RenderDevices puts it under "devices".
QString DevicesJsonArray(const CDeviceListModel& list);
// {"mac","params":[{"no","name","value","memo","id"}]}; id 0 marks a read-only row.
QString RenderParams(const QString& strMac, const COptionTable& option, ECliFormat nFormat);
// A JSON string literal.
QString JsonString(const QString& strText);
// A card's text as the terminal may show it: control characters (C0, DEL, C1) written as
// \x1b, so that no card can clear the screen or retitle the window.
QString TerminalText(const QString& strText);
