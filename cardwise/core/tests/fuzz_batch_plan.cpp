// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the batch plan reader on arbitrary bytes; what it accepts must be rows a
// run can use, what it refuses must say why, and neither may pass the plan's bounds.
#include "BatchPlan.h"

#include <cstddef>
#include <cstdint>

namespace {

void Check(bool bCondition)
{
    if (!bCondition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Not terminated, so that a read past the end is caught.
    const QByteArray strText =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CBatchPlan plan;
    SPlanProblems problems;
    const bool bAccepted = plan.Parse(strText, problems);
    Check(bAccepted == (problems.Count() == 0));
    Check(static_cast<int>(problems.arrListed.size()) <= SPlanProblems::PROBLEMS_MAX);
    for (const SPlanProblem& problem : problems.arrListed)
        Check(!problem.strText.isEmpty() && problem.nLine >= 0);
    if (!bAccepted)
        return 0;
    Check(static_cast<int>(plan.GetRows().size()) <= CBatchPlan::ROWS_MAX);
    for (const SPlanRow& row : plan.GetRows()) {
        Check(row.strMac == QLatin1String("*") || row.strMac.size() == 17);
        for (const SPlanValue& value : row.arrValues)
            Check(value.nSetId != 0 && value.strValue.size() <= CBatchPlan::CELL_MAX);
    }
    return 0;
}
