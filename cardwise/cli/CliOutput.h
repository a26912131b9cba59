// What cardwise-cli prints: the device list and a card's parameter table as text, JSON, CSV.
#pragma once

#include "CliArguments.h"
#include "OutputText.h"

#include <QString>

class CDeviceListModel;
class COptionTable;
struct SInventoryDiff;

// {"devices":[{"mac","actual_ip","ip","mask","gateway","hw","fw","adapter","notes"}]} in list
// order; hw and fw are numbers, or null while the list shows nothing for them; adapter the
// receiving interface's name, or null; notes a list of "other-subnet", "address-conflict",
// "dhcp".
QString RenderDevices(const CDeviceListModel& list, ECliFormat nFormat);
// The JSON array of the devices, as RenderDevices puts it under "devices".
QString DevicesJsonArray(const CDeviceListModel& list);
// {"mac","params":[{"no","name","value","memo","id"}]}; id 0 marks a read-only row.
QString RenderParams(const QString& strMac, const COptionTable& option, ECliFormat nFormat);
// search --compare: {"new":[card],"missing":[card],"changed":[card + "fields":{"ip":
// ["saved","now"]}]} with cards as in the device list's JSON (a changed card as found now),
// or as text: a table per kind that has cards, then "1 new, 0 missing, 2 changed".
QString RenderComparison(const SInventoryDiff& diff, ECliFormat nFormat);
