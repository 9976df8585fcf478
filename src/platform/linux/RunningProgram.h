// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgramInfo.h"

namespace RunningProgram {

// The running process's ProgramInfo (QCoreApplication must exist): its executable and working folder
// with their exact bytes, and the arguments taken from main's argc and argv byte for byte.
ProgramInfo info(int argc, const char* const* argv);

} // namespace RunningProgram
