#pragma once

#include <QString>

class Registry;
struct ProgramInfo;

namespace modExplorerKontext {

// Registers verb with command under "*\shell" (a non-empty command) or removes it (an empty one).
void SetExplorerMenu(Registry& registry, const QString& verb, const QString& command);
void CreateExplorerMenu(Registry& registry, const QString& verb, const QString& command);
void RemoveExplorerMenu(Registry& registry, const QString& verb);

// The command the main window registers: program folder + "/" + executable name + " 1%".
QString programCommand(const ProgramInfo& program);

} // namespace modExplorerKontext
