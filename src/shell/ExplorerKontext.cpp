// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ExplorerKontext.h"

#include "platform/NativeText.h"
#include "platform/ProgramInfo.h"
#include "platform/Registry.h"

#include <algorithm>

namespace {

const std::string shellKey = "*\\shell";

} // namespace

namespace modExplorerKontext {

// An empty command removes the verb, any other (even a single blank) registers it. No result: the
// registry's statuses are not reported back.
void SetExplorerMenu(Registry& registry, const std::string& verb, const std::string& command)
{
    if (command.empty())
        RemoveExplorerMenu(registry, verb);
    else
        CreateExplorerMenu(registry, verb, command);
}

// Writes "*\shell\<verb>\command" with the default value command + " %1". The statuses are not
// examined; writing an existing entry again only overwrites its data.
void CreateExplorerMenu(Registry& registry, const std::string& verb, const std::string& command)
{
    const std::string commandKey = shellKey + '\\' + verb + "\\command";

    Registry::Key key = Registry::NoKey;
    if (registry.createKey(Registry::ClassesRoot, commandKey, &key) == RegistryStatus::Success)
        registry.closeKey(key);

    registry.setValue(Registry::ClassesRoot, commandKey, Registry::StringValue, commandValue(command));
}

// Deletes the command key, then the verb key; each step only after the one before succeeded, so a verb
// key that has no command key, or holds another subkey too, stays. Every handle opened is closed.
void RemoveExplorerMenu(Registry& registry, const std::string& verb)
{
    Registry::Key verbKey = Registry::NoKey;
    if (registry.openKey(Registry::ClassesRoot, shellKey + '\\' + verb, 0, Registry::SetValueAccess,
                         &verbKey) != RegistryStatus::Success)
        return;
    // Key names compare without regard to case: this is the key created as "command".
    const long deleted = registry.deleteKey(verbKey, "Command");
    registry.closeKey(verbKey);
    if (deleted != RegistryStatus::Success)
        return;

    Registry::Key shell = Registry::NoKey;
    if (registry.openKey(Registry::ClassesRoot, shellKey, 0, Registry::SetValueAccess, &shell) !=
        RegistryStatus::Success)
        return;
    registry.deleteKey(shell, verb);
    registry.closeKey(shell);
}

// On Windows the shell splits the command at blanks: the program's path goes in quotes, or one under
// "C:\Program Files" would be taken for "C:\Program" and its arguments. It gets no "1%" there: the shell
// takes the text between that "%" and the placeholder's for a variable's name and eats the placeholder ("1
// "1"" arrives).
std::string programCommand(const ProgramInfo& program, bool windowsShell)
{
    if (windowsShell)
        return '"' + NativeText::bytes(program.executablePath) + '"';
    else
        return NativeText::bytes(program.executablePath) + " 1%";
}

// On Windows the placeholder goes in quotes too, so that a chosen file's path with blanks arrives whole.
std::string commandValue(const std::string& command, bool windowsShell)
{
    if (windowsShell)
        return command + " \"%1\"";
    else
        return command + " %1";
}

std::string restartHint(const std::vector<std::string>& runningFileManagers)
{
    const auto running = [&runningFileManagers](const char* name) {
        return std::find(runningFileManagers.begin(), runningFileManagers.end(), name) !=
               runningFileManagers.end();
    };
    std::string hint;
    const auto append = [&hint](const char* sentence) {
        if (!hint.empty())
            hint += ' ';
        hint += sentence;
    };
    if (running("Thunar"))
        append("Thunar läuft und zeigt eine Änderung erst nach einem Neustart („thunar -q“ beendet es).");
    if (running("PCManFM-Qt"))
        append("PCManFM-Qt läuft und zeigt eine Änderung erst nach einem Neustart, meist nach der nächsten "
               "Anmeldung.");
    return hint;
}

} // namespace modExplorerKontext
