// SPDX-License-Identifier: LGPL-2.1-or-later
// Text line of one value, shared by CVarData and CVarDataGroup rendering.
#pragma once

#include <LmVarData/VarData.h>

#include <string>

namespace lmvardata {

std::string RenderLine(const CVarData& value);

} // namespace lmvardata
