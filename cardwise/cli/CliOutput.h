// SPDX-License-Identifier: GPL-3.0-or-later
// What cardwise-cli prints: the device list and a card's parameter table as text, JSON, CSV.
#pragma once

#include "BatchApply.h"
#include "BatchPlan.h"
#include "CliArguments.h"
#include "OutputText.h"

#include <QString>

#include <optional>
#include <vector>

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

// The problems that refused a plan: "PLAN:LINE: problem" lines, or with JSON
// {"refused":[{"line","problem"}],"unlisted":N}.
QString RenderPlanProblems(const QString& strPlan, const SPlanProblems& problems,
                           ECliFormat nFormat);
// The cards of an apply run with their results (none yet: a dry run's "planned") and each
// change's current, planned and read-back value; a summary line counts the results. JSON:
// {"cards":[{"mac","line","result","changes":[{"id","name","current","planned","read"}]}],
// "summary":{"verified":N,...}}. No password appears.
QString RenderApply(const std::vector<SPlannedCard>& arrCards,
                    const std::vector<std::optional<EApplyResult>>& arrResults, ECliFormat nFormat);
