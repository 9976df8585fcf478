// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgramInfo.h"

#include <string>
#include <string_view>

namespace WindowsProgram {

// The running process's ProgramInfo: its executable's full path (however long), the working folder, and
// as its one argument the command-line text after the program's own name (none when that text is empty),
// quotes and inner blanks as the caller wrote them, in UTF-8.
ProgramInfo info();

// The text of commandLine after the program's name, as the C runtime hands it to wWinMain: the name runs
// to the first blank or control character outside double quotes (a quote toggles), then the blanks
// after it are skipped. Anything behind stays as it is, trailing blanks too.
std::wstring_view argumentText(std::wstring_view commandLine);

} // namespace WindowsProgram
