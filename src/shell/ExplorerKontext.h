// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/NativeText.h"

#include <string>
#include <vector>

class Registry;
struct ProgramInfo;

// Texts are UTF-8; a command keeps the native bytes of the program's path in it.
namespace modExplorerKontext {

// Registers verb with command under "*\shell" (a non-empty command) or removes it (an empty one).
void SetExplorerMenu(Registry& registry, const std::string& verb, const std::string& command);
void CreateExplorerMenu(Registry& registry, const std::string& verb, const std::string& command);
void RemoveExplorerMenu(Registry& registry, const std::string& verb);

// The command the main window registers: the executable's path (its whole name: a name with a dot would
// otherwise name another file) + " 1%"; for Windows' shell the path in double quotes, nothing after it.
std::string programCommand(const ProgramInfo& program, bool windowsShell = NativeText::WindowsPaths);
// The data of the command key for command: command + " %1"; for Windows' shell command + " \"%1\"".
std::string commandValue(const std::string& command, bool windowsShell = NativeText::WindowsPaths);

// The check box's tool tip while file managers run that show a change of the entry only after a restart
// (ShellEntries::runningWithDelayedUpdate); empty when none does.
std::string restartHint(const std::vector<std::string>& runningFileManagers);

} // namespace modExplorerKontext
