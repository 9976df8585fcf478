// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class Registry;
struct ProgramInfo;

namespace modExplorerKontext {

// Registers verb with command under "*\shell" (a non-empty command) or removes it (an empty one).
void SetExplorerMenu(Registry& registry, const QString& verb, const QString& command);
void CreateExplorerMenu(Registry& registry, const QString& verb, const QString& command);
void RemoveExplorerMenu(Registry& registry, const QString& verb);

// The command the main window registers: the executable's path (its whole name: a name with a dot would
// otherwise name another file) + " 1%".
QString programCommand(const ProgramInfo& program);
// The data of the command key for command: command + " %1".
QString commandValue(const QString& command);

// The check box's tool tip while file managers run that show a change of the entry only after a restart
// (ShellEntries::runningWithDelayedUpdate); empty when none does.
QString restartHint(const QStringList& runningFileManagers);

} // namespace modExplorerKontext
