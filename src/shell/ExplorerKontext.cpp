// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ExplorerKontext.h"

#include "platform/ProgramInfo.h"
#include "platform/Registry.h"

namespace {

const QString shellKey = QStringLiteral("*\\shell");

} // namespace

namespace modExplorerKontext {

// An empty command removes the verb, any other (even a single blank) registers it. No result: the
// registry's statuses are not reported back.
void SetExplorerMenu(Registry& registry, const QString& verb, const QString& command)
{
    if (command.isEmpty())
        RemoveExplorerMenu(registry, verb);
    else
        CreateExplorerMenu(registry, verb, command);
}

// Writes "*\shell\<verb>\command" with the default value command + " %1". The statuses are not
// examined; writing an existing entry again only overwrites its data.
void CreateExplorerMenu(Registry& registry, const QString& verb, const QString& command)
{
    const QString commandKey = shellKey + QLatin1Char('\\') + verb + QStringLiteral("\\command");

    Registry::Key key = Registry::NoKey;
    if (registry.createKey(Registry::ClassesRoot, commandKey, &key) == RegistryStatus::Success)
        registry.closeKey(key);

    registry.setValue(Registry::ClassesRoot, commandKey, Registry::StringValue, commandValue(command));
}

// Deletes the command key, then the verb key; each step only after the one before succeeded, so a verb
// key that has no command key, or holds another subkey too, stays. Every handle opened is closed.
void RemoveExplorerMenu(Registry& registry, const QString& verb)
{
    Registry::Key verbKey = Registry::NoKey;
    if (registry.openKey(Registry::ClassesRoot, shellKey + QLatin1Char('\\') + verb, 0,
                         Registry::SetValueAccess, &verbKey) != RegistryStatus::Success)
        return;
    // Key names compare without regard to case: this is the key created as "command".
    const long deleted = registry.deleteKey(verbKey, QStringLiteral("Command"));
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

QString programCommand(const ProgramInfo& program)
{
    return program.executablePath + QStringLiteral(" 1%");
}

QString commandValue(const QString& command)
{
    return command + QStringLiteral(" %1");
}

QString restartHint(const QStringList& runningFileManagers)
{
    QStringList sentences;
    if (runningFileManagers.contains(QLatin1String("Thunar")))
        sentences.append(QStringLiteral("Thunar läuft und zeigt eine Änderung erst nach einem Neustart "
                                        "(„thunar -q“ beendet es)."));
    if (runningFileManagers.contains(QLatin1String("PCManFM-Qt")))
        sentences.append(QStringLiteral("PCManFM-Qt läuft und zeigt eine Änderung erst nach einem Neustart, "
                                        "meist nach der nächsten Anmeldung."));
    return sentences.join(QLatin1Char(' '));
}

} // namespace modExplorerKontext
