// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace ShellHelp {

// Opens helpFile (the compiled help, HelpFile::chmPath) with the program the shell has for its type, as
// the "open" operation, its windows owned by owner (a HWND, may be null). True when the shell started
// it; false when the file is missing or no program is registered for it.
bool open(const std::filesystem::path& helpFile, void* owner);

} // namespace ShellHelp
